#include "ui/widgets/date_picker.h"

#include <QDateEdit>
#include <QLocale>

QString datePickerFormat() {
    return QStringLiteral("yyyy-MM-dd");
}

QDateEdit* makeDatePicker(QWidget* parent, const QString& objectName, const QDate& date) {
    auto* picker = new QDateEdit(parent);
    picker->setObjectName(objectName);
    // The calendar pop-up names its months and weekdays in Chinese, as the rest of the
    // program does, whatever the desktop's language.
    picker->setLocale(QLocale(QLocale::Chinese, QLocale::China));
    picker->setDisplayFormat(datePickerFormat());
    picker->setCalendarPopup(true);
    // The dates the data files accept.
    picker->setDateRange(QDate(1853, 1, 1), QDate(9999, 12, 31));
    picker->setDate(date);
    return picker;
}
