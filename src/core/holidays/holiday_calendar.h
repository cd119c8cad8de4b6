#pragma once

#include <QString>
#include <vector>

#include "core/support/date_time.h"

constexpr int kMaxHolidays = 128;
constexpr int kMaxAdjustedDays = 128;

// A period in which no programme is due.
struct Holiday {
    char16_t name[64];
    qint32 disabled;
    DateHourRange range;
};
static_assert(sizeof(Holiday) == 164);

// On dateA the timetable of dateB applies.
struct AdjustedDay {
    CalendarDate dateA;
    CalendarDate dateB;
    qint32 disabled;
    char16_t remark[64];
};
static_assert(sizeof(AdjustedDay) == 156);

Holiday blankHoliday();
AdjustedDay blankAdjustedDay();
QString holidayName(const Holiday& h);

class HolidayCalendar {
  public:
    std::vector<Holiday> holidays;
    std::vector<AdjustedDay> adjustedDays;

    // True when an enabled holiday covers the moment.
    bool isInHoliday(const LocalDateTime& moment) const;
    // The first enabled holiday that covers some hour of the day, with the hours it covers
    // (from 0 to 24); null when none does.
    const Holiday* holidayOn(int year, int month, int day, int& fromHour, int& toHour) const;
    // The moment moved to the date whose timetable applies (weekday recomputed).
    LocalDateTime adjustedDate(const LocalDateTime& moment) const;

    int findHolidayByName(const QString& name) const;
    int findAdjustedDayByDateA(int year, int month, int day) const;

    // Unstable ascending sorts; false and nothing done for fewer than two entries.
    bool sortHolidaysByName();
    bool sortHolidaysByStart();
    bool sortAdjustedDaysByDateA();

    void clear();
};
