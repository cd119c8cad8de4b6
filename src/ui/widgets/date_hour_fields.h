#pragma once

#include "core/support/date_time.h"

class QDateEdit;
class QGridLayout;
class QLineEdit;
class QWidget;

// The "从: / 到:" rows of a period given by dates and hours (date picker, hour field, "点") and
// the "(0-24)" note below them, as the date-range and holiday dialogs show them.
struct DateHourFields {
    QDateEdit* startDate = nullptr;
    QLineEdit* startHour = nullptr;
    QDateEdit* endDate = nullptr;
    QLineEdit* endHour = nullptr;

    // Makes the fields showing the range and puts them in the grid, from `row` on (three rows).
    static DateHourFields addTo(QGridLayout* grid, int row, const DateHourRange& range,
                                QWidget* parent);
};
