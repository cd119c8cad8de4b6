#pragma once

#include <QDialog>

#include "core/holidays/holiday_calendar.h"

class QCheckBox;
class QDateEdit;
class QLineEdit;
class QPushButton;

// "调休, a日期按b日期来播": a new adjusted day (index -1) or adjusted day `index` of the
// calendar. On OK the checked entry is ready in day(); the page puts it in the list and saves.
class AdjustedDayDialog : public QDialog {
    Q_OBJECT
  public:
    AdjustedDayDialog(const HolidayCalendar& calendar, int index, QWidget* parent = nullptr);
    AdjustedDay day() const { return day_; }

    QDateEdit* dateAEdit() const { return dateA_; }
    QDateEdit* dateBEdit() const { return dateB_; }
    QLineEdit* remarkEdit() const { return remark_; }
    QCheckBox* disabledBox() const { return disabled_; }
    QPushButton* okButton() const { return ok_; }

    void accept() override;

  private:
    const HolidayCalendar& calendar_;
    int index_ = -1;
    AdjustedDay day_;
    QDateEdit* dateA_;
    QDateEdit* dateB_;
    QLineEdit* remark_;
    QCheckBox* disabled_;
    QPushButton* ok_;
};
