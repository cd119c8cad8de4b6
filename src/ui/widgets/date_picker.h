#pragma once

#include <QDate>
#include <QString>

class QDateEdit;
class QWidget;

// A date picker that writes its date as the lists do (2026-12-07) in every locale, with a
// calendar pop-up.
QDateEdit* makeDatePicker(QWidget* parent, const QString& objectName, const QDate& date);
// The display format the pickers use.
QString datePickerFormat();
