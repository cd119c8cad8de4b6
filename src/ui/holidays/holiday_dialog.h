#pragma once

#include <QDialog>

#include "core/holidays/holiday_calendar.h"
#include "ui/widgets/date_hour_fields.h"

class QCheckBox;
class QDateEdit;
class QLineEdit;
class QPushButton;

// "节假日不播放": a new holiday (index -1) or holiday `index` of the calendar. On OK the
// checked holiday is ready in holiday(); the page puts it in the list and saves.
class HolidayDialog : public QDialog {
    Q_OBJECT
  public:
    HolidayDialog(const HolidayCalendar& calendar, int index, QWidget* parent = nullptr);
    Holiday holiday() const { return holiday_; }

    QLineEdit* nameEdit() const { return name_; }
    QDateEdit* startDate() const { return fields_.startDate; }
    QLineEdit* startHour() const { return fields_.startHour; }
    QDateEdit* endDate() const { return fields_.endDate; }
    QLineEdit* endHour() const { return fields_.endHour; }
    QCheckBox* disabledBox() const { return disabled_; }
    QPushButton* okButton() const { return ok_; }

    void accept() override;

  private:
    const HolidayCalendar& calendar_;
    int index_;
    Holiday holiday_;
    QLineEdit* name_;
    DateHourFields fields_;
    QCheckBox* disabled_;
    QPushButton* ok_ = nullptr;
};
