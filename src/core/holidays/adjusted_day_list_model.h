#pragma once

#include "core/holidays/calendar_list_model.h"
#include "core/holidays/holiday_calendar.h"

// The adjusted-day list: row i is adjusted day i of the calendar.
class AdjustedDayListModel : public CalendarListModel {
  public:
    enum Column { DateAColumn, DateBColumn, StateColumn, RemarkColumn };

    explicit AdjustedDayListModel(HolidayCalendar& calendar, QObject* parent = nullptr);

    const HolidayCalendar& calendar() const { return calendar_; }
    const AdjustedDay& at(int row) const {
        return calendar_.adjustedDays[static_cast<size_t>(row)];
    }
    // The new row, or -1 when the list is full.
    int append(const AdjustedDay& day);
    void replace(int row, const AdjustedDay& day);
    bool sortByDateA();

  protected:
    int entryCount() const override;
    QString cellText(int row, int column) const override;
    qint32& disabledFlag(int row) override;
    void eraseEntry(int row) override;

  private:
    HolidayCalendar& calendar_;
};
