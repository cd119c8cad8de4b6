#include "ui/timed/days_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>

#include <QGridLayout>
#include <QPushButton>
#include <QRadioButton>
#include "ui/widgets/dialog_buttons.h"

#include "core/support/date_text.h"
#include "core/support/messages.h"

DaysDialog::DaysDialog(const Days& days, QWidget* parent) : QDialog(parent), days_(days) {
    setWindowTitle(QStringLiteral("周几或几号"));
    auto* layout = new QGridLayout(this);
    weekdayRadio_ = new QRadioButton(QStringLiteral("周几"), this);
    monthDayRadio_ = new QRadioButton(QStringLiteral("几号"), this);
    layout->addWidget(weekdayRadio_, 0, 0, 1, 7);
    const QStringList& names = weekdayNames();
    for (int i = 0; i < 7; ++i) {
        auto* box = new QCheckBox(names[i], this);
        // Opened by day of month, all weekdays show checked.
        box->setChecked(days.byWeekday ? days.weekdays[i] != 0 : true);
        weekdayBoxes_.append(box);
        layout->addWidget(box, 1, i);
    }
    layout->addWidget(monthDayRadio_, 2, 0, 1, 7);
    for (int i = 0; i < 31; ++i) {
        auto* box = new QCheckBox(QString::asprintf("%02d", i + 1), this);
        box->setChecked(!days.byWeekday && days.monthDays[i] != 0);
        monthDayBoxes_.append(box);
        layout->addWidget(box, 3 + i / 7, i % 7);
    }
    (days.byWeekday ? weekdayRadio_ : monthDayRadio_)->setChecked(true);
    connect(weekdayRadio_, &QRadioButton::toggled, this, &DaysDialog::updateEnabled);
    updateEnabled();
    QDialogButtonBox* buttons = okCancelButtons(this);
    layout->addWidget(buttons, 8, 0, 1, 7);
}

void DaysDialog::updateEnabled() {
    const bool weekdays = weekdayRadio_->isChecked();
    for (QCheckBox* box : weekdayBoxes_) {
        box->setEnabled(weekdays);
    }
    for (QCheckBox* box : monthDayBoxes_) {
        box->setEnabled(!weekdays);
    }
}

void DaysDialog::accept() {
    const bool weekdays = weekdayRadio_->isChecked();
    const QList<QCheckBox*>& boxes = weekdays ? weekdayBoxes_ : monthDayBoxes_;
    bool any = false;
    for (QCheckBox* box : boxes) {
        any = any || box->isChecked();
    }
    if (!any) {
        showMessage(MessageIcon::Warning,
                    weekdays ? QStringLiteral("请指定周几") : QStringLiteral("请指定几号"), this);
        return;
    }
    // Only the chosen side changes; the other keeps its flags.
    qint32* flags = weekdays ? days_.weekdays : days_.monthDays;
    for (int i = 0; i < boxes.size(); ++i) {
        flags[i] = boxes[i]->isChecked() ? 1 : 0;
    }
    days_.byWeekday = weekdays;
    QDialog::accept();
}
