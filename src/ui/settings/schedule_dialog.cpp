#include "ui/settings/schedule_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QTimeEdit>

#include "core/support/date_text.h"
#include "ui/widgets/dialog_buttons.h"

ScheduleDialog::ScheduleDialog(const QString& caption, const ClockTime& time, const qint32* days,
                               QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(caption);
    auto* layout = new QGridLayout(this);
    int row = 0;
    if (days != nullptr) {
        const QStringList& names = weekdayNames();
        for (int i = 0; i < 7; ++i) {
            auto* box = new QCheckBox(names[i], this);
            box->setChecked(days[i] != 0);
            days_.append(box);
            layout->addWidget(box, 0, i);
        }
        row = 1;
    }
    time_ = new QTimeEdit(QTime(time.hour, time.minute, time.second), this);
    time_->setDisplayFormat(QStringLiteral("HH:mm:ss"));
    layout->addWidget(time_, row, 0, 1, days != nullptr ? 3 : 1);
    layout->addWidget(okCancelButtons(this), row + 1, 0, 1, days != nullptr ? 7 : 1);
}

ClockTime ScheduleDialog::time() const {
    const QTime t = time_->time();
    return ClockTime{t.hour(), t.minute(), t.second()};
}

void ScheduleDialog::storeDays(qint32* days) const {
    for (int i = 0; i < days_.size(); ++i) {
        days[i] = days_[i]->isChecked() ? 1 : 0;
    }
}

void ScheduleDialog::accept() {
    // A picker without a valid time leaves the dialog open.
    if (!time_->time().isValid()) {
        return;
    }
    QDialog::accept();
}
