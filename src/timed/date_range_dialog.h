#pragma once

#include <QDialog>

#include "support/date_time.h"

class QDateEdit;
class QLineEdit;

// "日期范围": the dates and hours a programme is valid between.
class DateRangeDialog : public QDialog {
    Q_OBJECT
  public:
    DateRangeDialog(const DateHourRange& range, QWidget* parent = nullptr);
    DateHourRange range() const { return range_; }

    QDateEdit* startDate() const { return startDate_; }
    QDateEdit* endDate() const { return endDate_; }
    QLineEdit* startHour() const { return startHour_; }
    QLineEdit* endHour() const { return endHour_; }

    void accept() override;

  private:
    bool refuse(const QString& text, QLineEdit* field = nullptr);

    DateHourRange range_;
    QDateEdit* startDate_;
    QDateEdit* endDate_;
    QLineEdit* startHour_;
    QLineEdit* endHour_;
};
