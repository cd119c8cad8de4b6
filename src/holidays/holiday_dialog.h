#pragma once

#include <QDialog>

#include "holidays/holiday_calendar.h"

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
    QDateEdit* startDate() const { return startDate_; }
    QLineEdit* startHour() const { return startHour_; }
    QDateEdit* endDate() const { return endDate_; }
    QLineEdit* endHour() const { return endHour_; }
    QCheckBox* disabledBox() const { return disabled_; }
    QPushButton* okButton() const { return ok_; }

    void accept() override;

  private:
    const HolidayCalendar& calendar_;
    int index_;
    Holiday holiday_;
    QLineEdit* name_;
    QDateEdit* startDate_;
    QLineEdit* startHour_;
    QDateEdit* endDate_;
    QLineEdit* endHour_;
    QCheckBox* disabled_;
    QPushButton* ok_ = nullptr;
};
