#include "ui/timed/date_range_dialog.h"

#include <QDateEdit>
#include <QDialogButtonBox>

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include "ui/widgets/dialog_buttons.h"
#include "ui/widgets/refusal.h"

#include "core/support/field_checks.h"
#include "core/support/messages.h"

DateRangeDialog::DateRangeDialog(const DateHourRange& range, QWidget* parent)
    : QDialog(parent), range_(range) {
    setWindowTitle(QStringLiteral("日期范围"));
    auto* layout = new QGridLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("一般不要改动:"), this), 0, 0, 1, 4);
    fields_ = DateHourFields::addTo(layout, 1, range, this);
    layout->addWidget(
        new QLabel(QStringLiteral("比如,身份证有效期10年，\n临时身份证有效期3个月。"), this), 4, 0,
        1, 4);
    QDialogButtonBox* buttons = okCancelButtons(this);
    layout->addWidget(buttons, 5, 0, 1, 4);
}

void DateRangeDialog::refuse(const QString& text, QLineEdit* field) {
    refuseInput(this, MessageIcon::Warning, text, field);
}

void DateRangeDialog::accept() {
    const IntegerCheck hours{false, 0, 24};
    const std::optional<qint64> startHour = checkIntegerField(fields_.startHour->text(), hours);
    if (!startHour) {
        refuse(QStringLiteral("起始时间，输入无效"), fields_.startHour);
        return;
    }
    const std::optional<qint64> endHour = checkIntegerField(fields_.endHour->text(), hours);
    if (!endHour) {
        refuse(QStringLiteral("截止时间，输入无效"), fields_.endHour);
        return;
    }
    const QDate start = fields_.startDate->date();
    const QDate end = fields_.endDate->date();
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
