#include "ui/holidays/adjusted_day_dialog.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "core/support/text.h"
#include "ui/widgets/date_picker.h"
#include "ui/widgets/dialog_buttons.h"
#include "ui/widgets/refusal.h"

namespace {

constexpr int kRemarkLength = 63;

QDate toQDate(const CalendarDate& d) {
    return QDate(d.year, d.month, d.day);
}

CalendarDate toCalendarDate(const QDate& d) {
    return CalendarDate{d.year(), d.month(), d.day()};
}

}  // namespace

AdjustedDayDialog::AdjustedDayDialog(const HolidayCalendar& calendar, int index, QWidget* parent)
    : QDialog(parent), calendar_(calendar), day_(blankAdjustedDay()) {
    setWindowTitle(QStringLiteral("调休, a日期按b日期来播"));
    const bool editing = index >= 0 && index < static_cast<int>(calendar.adjustedDays.size());
    if (editing) {
        index_ = index;
        day_ = calendar.adjustedDays[static_cast<size_t>(index)];
    } else {
        day_.dateA = day_.dateB = toCalendarDate(QDate::currentDate());
    }
    dateA_ = makeDatePicker(this, QStringLiteral("dateA"), toQDate(day_.dateA));
    dateB_ = makeDatePicker(this, QStringLiteral("dateB"), toQDate(day_.dateB));
    remark_ = new QLineEdit(fieldText(day_.remark), this);
    remark_->setObjectName(QStringLiteral("remarkEdit"));
    remark_->setMaxLength(kRemarkLength);
    disabled_ = new QCheckBox(QStringLiteral("停用"), this);
    disabled_->setObjectName(QStringLiteral("disabledBox"));
    disabled_->setChecked(day_.disabled != 0);

    auto* layout = new QGridLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("a日期:"), this), 0, 0);
    layout->addWidget(dateA_, 0, 1);
    layout->addWidget(new QLabel(QStringLiteral("b日期:"), this), 1, 0);
    layout->addWidget(dateB_, 1, 1);
    layout->addWidget(new QLabel(QStringLiteral("备注:"), this), 2, 0);
    layout->addWidget(remark_, 2, 1);
    layout->addWidget(disabled_, 3, 1);
    QDialogButtonBox* buttons =
        okCancelButtons(this, editing ? QStringLiteral("修改") : QStringLiteral("添加"));
    ok_ = okButtonOf(buttons);
    layout->addWidget(buttons, 4, 0, 1, 2);
}

void AdjustedDayDialog::accept() {
    const CalendarDate a = toCalendarDate(dateA_->date());
    const CalendarDate b = toCalendarDate(dateB_->date());
    const int found = calendar_.findAdjustedDayByDateA(a.year, a.month, a.day);
    if (found != -1 && found != index_) {
        refuseInput(this, MessageIcon::Warning, QStringLiteral("该a日期已存在，不可重复"), dateA_);
        return;
    }
    if (a == b) {
        refuseInput(this, MessageIcon::Warning, QStringLiteral("要求：\na日期  ≠  b日期"), dateB_);
        return;
    }
    AdjustedDay day = blankAdjustedDay();
    day.dateA = a;
    day.dateB = b;
    day.disabled = disabled_->isChecked() ? 1 : 0;
    setFieldText(day.remark, trimBlanks(remark_->text().left(kRemarkLength)));
    day_ = day;
    QDialog::accept();
}
