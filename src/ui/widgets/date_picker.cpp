#include "ui/widgets/date_picker.h"

#include <QDateEdit>
#include <QLocale>

QString datePickerFormat() {
    QString format = QLocale().dateFormat(QLocale::ShortFormat);
    if (!format.contains(QStringLiteral("yyyy"))) {
        format.replace(QStringLiteral("yy"), QStringLiteral("yyyy"));
    }
    return format;
}

QDateEdit* makeDatePicker(QWidget* parent, const QString& objectName, const QDate& date) {
    auto* picker = new QDateEdit(parent);
    picker->setObjectName(objectName);
    picker->setDisplayFormat(datePickerFormat());
    picker->setCalendarPopup(true);
    // The dates the data files accept.
    picker->setDateRange(QDate(1853, 1, 1), QDate(9999, 12, 31));
    picker->setDate(date);
    return picker;
}
