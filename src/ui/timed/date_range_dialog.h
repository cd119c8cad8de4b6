#pragma once

#include <QDialog>

#include "core/support/date_time.h"
#include "ui/widgets/date_hour_fields.h"

class QDateEdit;
class QLineEdit;

// "日期范围": the dates and hours a programme is valid between.
class DateRangeDialog : public QDialog {
    Q_OBJECT
  public:
    DateRangeDialog(const DateHourRange& range, QWidget* parent = nullptr);
    DateHourRange range() const { return range_; }

    QDateEdit* startDate() const { return fields_.startDate; }
    QDateEdit* endDate() const { return fields_.endDate; }
    QLineEdit* startHour() const { return fields_.startHour; }
    QLineEdit* endHour() const { return fields_.endHour; }

    void accept() override;

  private:
    void refuse(const QString& text, QLineEdit* field = nullptr);

    DateHourRange range_;
    DateHourFields fields_;
};
