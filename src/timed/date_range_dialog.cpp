#include "timed/date_range_dialog.h"

#include <QDateEdit>
#include <QDialogButtonBox>

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include "app/dialog_buttons.h"

#include "support/messages.h"
#include "support/field_checks.h"

namespace {

QDateEdit* makeDateEdit(QWidget* parent, const QString& name, int year, int month, int day) {
    auto* edit = new QDateEdit(parent);
    edit->setObjectName(name);
    edit->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    edit->setCalendarPopup(true);
    edit->setDateRange(QDate(1853, 1, 1), QDate(9999, 12, 31));
    edit->setDate(QDate(year, month, day));
    return edit;
}

QLineEdit* makeHourEdit(QWidget* parent, const QString& name, int hour) {
    auto* edit = new QLineEdit(QString::number(hour), parent);
    edit->setObjectName(name);
    edit->setMaxLength(255);
    return edit;
}

}  // namespace

DateRangeDialog::DateRangeDialog(const DateHourRange& range, QWidget* parent)
    : QDialog(parent), range_(range) {
    setWindowTitle(QStringLiteral("日期范围"));
    auto* layout = new QGridLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("一般不要改动:"), this), 0, 0, 1, 4);
    startDate_ = makeDateEdit(this, QStringLiteral("startDate"), range.startYear, range.startMonth,
                              range.startDay);
    endDate_ =
        makeDateEdit(this, QStringLiteral("endDate"), range.endYear, range.endMonth, range.endDay);
    startHour_ = makeHourEdit(this, QStringLiteral("startHour"), range.startHour);
    endHour_ = makeHourEdit(this, QStringLiteral("endHour"), range.endHour);
    layout->addWidget(new QLabel(QStringLiteral("从:"), this), 1, 0);
    layout->addWidget(startDate_, 1, 1);
    layout->addWidget(startHour_, 1, 2);
    layout->addWidget(new QLabel(QStringLiteral("点"), this), 1, 3);
    layout->addWidget(new QLabel(QStringLiteral("到:"), this), 2, 0);
    layout->addWidget(endDate_, 2, 1);
    layout->addWidget(endHour_, 2, 2);
    layout->addWidget(new QLabel(QStringLiteral("点"), this), 2, 3);
    layout->addWidget(new QLabel(QStringLiteral("(0-24)"), this), 3, 2);
    layout->addWidget(
        new QLabel(QStringLiteral("比如,身份证有效期10年，\n临时身份证有效期3个月。"), this), 4, 0,
        1, 4);
    QDialogButtonBox* buttons = okCancelButtons(this);
    layout->addWidget(buttons, 5, 0, 1, 4);
}

bool DateRangeDialog::refuse(const QString& text, QLineEdit* field) {
    showMessage(MessageIcon::Warning, text, this);
    if (field != nullptr) {
        field->setFocus();
        field->selectAll();
    }
    return false;
}

void DateRangeDialog::accept() {
    const IntegerCheck hours{false, 0, 24};
    const std::optional<qint64> startHour = checkIntegerField(startHour_->text(), hours);
    if (!startHour) {
        refuse(QStringLiteral("起始时间，输入无效"), startHour_);
        return;
    }
    const std::optional<qint64> endHour = checkIntegerField(endHour_->text(), hours);
    if (!endHour) {
        refuse(QStringLiteral("截止时间，输入无效"), endHour_);
        return;
    }
    const QDate start = startDate_->date();
    const QDate end = endDate_->date();
    if (!isValidDate(start.year(), start.month(), start.day())) {
        refuse(QStringLiteral("起始日期无效"));
        return;
    }
    if (!isValidDate(end.year(), end.month(), end.day())) {
        refuse(QStringLiteral("截止日期无效"));
        return;
    }
    if (end < start) {
        refuse(QStringLiteral("要求：\n截止日期  ≥  起始日期"));
        return;
    }
    if (end == start && *endHour <= *startHour) {
        refuse(QStringLiteral("要求：\n截止时间  >  起始时间"));
        return;
    }
    range_ =
        DateHourRange{start.year(), start.month(), start.day(), static_cast<qint32>(*startHour),
                      end.year(),   end.month(),   end.day(),   static_cast<qint32>(*endHour)};
    QDialog::accept();
}
