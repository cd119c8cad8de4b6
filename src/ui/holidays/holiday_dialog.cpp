#include "ui/holidays/holiday_dialog.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "core/support/field_checks.h"
#include "core/support/text.h"
#include "ui/widgets/date_hour_fields.h"
#include "ui/widgets/dialog_buttons.h"
#include "ui/widgets/refusal.h"

namespace {

constexpr int kNameLength = 63;

}  // namespace

HolidayDialog::HolidayDialog(const HolidayCalendar& calendar, int index, QWidget* parent)
    : QDialog(parent), calendar_(calendar), index_(-1), holiday_(blankHoliday()) {
    setWindowTitle(QStringLiteral("节假日不播放"));
    const bool editing = index >= 0 && index < static_cast<int>(calendar.holidays.size());
    if (editing) {
        index_ = index;
        holiday_ = calendar.holidays[static_cast<size_t>(index)];
    } else {
        // A new holiday: today, the whole day.
        const QDate today = QDate::currentDate();
        holiday_.range = {today.year(), today.month(), today.day(), 0,
                          today.year(), today.month(), today.day(), 24};
    }
    const DateHourRange& r = holiday_.range;
    name_ = new QLineEdit(holidayName(holiday_), this);
    name_->setObjectName(QStringLiteral("nameEdit"));
    name_->setMaxLength(kNameLength);
    disabled_ = new QCheckBox(QStringLiteral("停用"), this);
    disabled_->setObjectName(QStringLiteral("disabledBox"));
    disabled_->setChecked(holiday_.disabled != 0);

    auto* layout = new QGridLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("节假日名称:"), this), 0, 0);
    layout->addWidget(name_, 0, 1, 1, 3);
    fields_ = DateHourFields::addTo(layout, 1, r, this);
    layout->addWidget(disabled_, 4, 1);
    QDialogButtonBox* buttons =
        okCancelButtons(this, editing ? QStringLiteral("修改") : QStringLiteral("添加"));
    ok_ = okButtonOf(buttons);
    layout->addWidget(buttons, 5, 0, 1, 4);
}

void HolidayDialog::accept() {
    const QString name = trimBlanks(name_->text().left(kNameLength));
    if (name.isEmpty()) {
        refuseInput(this, MessageIcon::Information, QStringLiteral("请输入节假日名称"), name_);
        return;
    }
    const int found = calendar_.findHolidayByName(name);
    if (found != -1 && found != index_) {
        refuseInput(this, MessageIcon::Warning, QStringLiteral("该节假日已存在"), name_);
        return;
    }
    const IntegerCheck hours{false, 0, 24};
    const std::optional<qint64> startHour = checkIntegerField(fields_.startHour->text(), hours);
    if (!startHour) {
        refuseInput(this, MessageIcon::Warning, QStringLiteral("开始时间，输入无效"),
                    fields_.startHour);
        return;
    }
    const std::optional<qint64> endHour = checkIntegerField(fields_.endHour->text(), hours);
    if (!endHour) {
        refuseInput(this, MessageIcon::Warning, QStringLiteral("结束时间，输入无效"),
                    fields_.endHour);
        return;
    }
    const QDate start = fields_.startDate->date();
    const QDate end = fields_.endDate->date();
    if (start > end) {
        refuseInput(this, MessageIcon::Warning, QStringLiteral("要求：\n结束日期  ≥  开始日期"),
                    fields_.endDate);
        return;
    }
    if (start == end && *startHour >= *endHour) {
        refuseInput(this, MessageIcon::Warning, QStringLiteral("要求：\n结束时间  >  开始时间"),
                    fields_.endHour);
        return;
    }
    Holiday h = blankHoliday();
    setFieldText(h.name, name);
    h.disabled = disabled_->isChecked() ? 1 : 0;
    h.range = {start.year(), start.month(), start.day(), static_cast<qint32>(*startHour),
               end.year(),   end.month(),   end.day(),   static_cast<qint32>(*endHour)};
    holiday_ = h;
    QDialog::accept();
}
