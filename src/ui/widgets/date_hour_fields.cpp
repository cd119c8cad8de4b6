#include "ui/widgets/date_hour_fields.h"

#include <QDateEdit>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

#include "ui/widgets/date_picker.h"

namespace {

QLineEdit* makeHourField(QWidget* parent, const QString& name, int hour) {
    auto* edit = new QLineEdit(QString::number(hour), parent);
    edit->setObjectName(name);
    edit->setMaxLength(255);
    edit->setMaximumWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("00000")) + 12);
    return edit;
}

}  // namespace

DateHourFields DateHourFields::addTo(QGridLayout* grid, int row, const DateHourRange& range,
                                     QWidget* parent) {
    DateHourFields f;
    f.startDate = makeDatePicker(parent, QStringLiteral("startDate"),
                                 QDate(range.startYear, range.startMonth, range.startDay));
    f.endDate = makeDatePicker(parent, QStringLiteral("endDate"),
                               QDate(range.endYear, range.endMonth, range.endDay));
    f.startHour = makeHourField(parent, QStringLiteral("startHour"), range.startHour);
    f.endHour = makeHourField(parent, QStringLiteral("endHour"), range.endHour);
    grid->addWidget(new QLabel(QStringLiteral("从:"), parent), row, 0);
    grid->addWidget(f.startDate, row, 1);
    grid->addWidget(f.startHour, row, 2);
    grid->addWidget(new QLabel(QStringLiteral("点"), parent), row, 3);
    grid->addWidget(new QLabel(QStringLiteral("到:"), parent), row + 1, 0);
    grid->addWidget(f.endDate, row + 1, 1);
    grid->addWidget(f.endHour, row + 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("点"), parent), row + 1, 3);
    grid->addWidget(new QLabel(QStringLiteral("(0-24)"), parent), row + 2, 2, 1, 2);
    return f;
}
