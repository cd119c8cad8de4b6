#pragma once

#include <QDate>
#include <QString>

class QDateEdit;
class QWidget;

// A date picker in the locale's short date format (with the year in full, so that no date
// of the calendar's range is ambiguous), with a calendar pop-up.
QDateEdit* makeDatePicker(QWidget* parent, const QString& objectName, const QDate& date);
// The display format the pickers use.
QString datePickerFormat();
