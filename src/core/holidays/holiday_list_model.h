#pragma once

#include "core/holidays/calendar_list_model.h"
#include "core/holidays/holiday_calendar.h"

// The holiday list: row i is holiday i of the calendar.
class HolidayListModel : public CalendarListModel {
  public:
    enum Column { NameColumn, StateColumn, StartColumn, EndColumn };

    explicit HolidayListModel(HolidayCalendar& calendar, QObject* parent = nullptr);

    const HolidayCalendar& calendar() const { return calendar_; }
    const Holiday& at(int row) const { return calendar_.holidays[static_cast<size_t>(row)]; }
    // The new row, or -1 when the list is full.
    int append(const Holiday& holiday);
    void replace(int row, const Holiday& holiday);
    bool sortByName();
    bool sortByStart();

  protected:
    int entryCount() const override;
    QString cellText(int row, int column) const override;
    qint32& disabledFlag(int row) override;
    void eraseEntry(int row) override;

  private:
    HolidayCalendar& calendar_;
};
