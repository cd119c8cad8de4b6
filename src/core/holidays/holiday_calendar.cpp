#include "core/holidays/holiday_calendar.h"

#include <algorithm>
#include <tuple>

#include "core/support/collation.h"
#include "core/support/text.h"

Holiday blankHoliday() {
    Holiday h{};
    return h;
}

AdjustedDay blankAdjustedDay() {
    AdjustedDay a{};
    return a;
}

QString holidayName(const Holiday& h) {
    return fieldText(h.name);
}

bool HolidayCalendar::isInHoliday(const LocalDateTime& moment) const {
    for (const Holiday& h : holidays) {
        if (h.disabled == 0 && dateHourPosition(h.range, moment) == 0) {
            return true;
        }
    }
    return false;
}

const Holiday* HolidayCalendar::holidayOn(int year, int month, int day, int& fromHour,
                                          int& toHour) const {
    for (const Holiday& h : holidays) {
        if (h.disabled != 0) {
            continue;
        }
        fromHour = -1;
        for (int hour = 0; hour < 24; ++hour) {
            // The middle of the hour: a range ends on a whole hour, which it still covers.
            if (dateHourPosition(h.range, makeDateTime(year, month, day, hour, 30)) == 0) {
                fromHour = fromHour < 0 ? hour : fromHour;
                toHour = hour + 1;
            }
        }
        if (fromHour >= 0) {
            return &h;
        }
    }
    return nullptr;
}

LocalDateTime HolidayCalendar::adjustedDate(const LocalDateTime& moment) const {
    for (const AdjustedDay& a : adjustedDays) {
        if (a.disabled != 0 || a.dateA.year != moment.year || a.dateA.month != moment.month ||
            a.dateA.day != moment.day) {
            continue;
        }
        if (!isValidDate(a.dateB.year, a.dateB.month, a.dateB.day)) {
            continue;
        }
        LocalDateTime result = moment;
        result.year = static_cast<quint16>(a.dateB.year);
        result.month = static_cast<quint16>(a.dateB.month);
        result.day = static_cast<quint16>(a.dateB.day);
        result.dayOfWeek =
            static_cast<quint16>(dayOfWeek(a.dateB.year, a.dateB.month, a.dateB.day));
        return result;
    }
    return moment;
}

int HolidayCalendar::findHolidayByName(const QString& name) const {
    for (size_t i = 0; i < holidays.size(); ++i) {
        if (sameNameIgnoringCase(holidayName(holidays[i]), name)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

int HolidayCalendar::findAdjustedDayByDateA(int year, int month, int day) const {
    for (size_t i = 0; i < adjustedDays.size(); ++i) {
        const CalendarDate& a = adjustedDays[i].dateA;
        if (a.year == year && a.month == month && a.day == day) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

bool HolidayCalendar::sortHolidaysByName() {
    if (holidays.size() < 2) {
        return false;
    }
    const QCollator collator = nameCollator();
    std::sort(holidays.begin(), holidays.end(), [&](const Holiday& a, const Holiday& b) {
        return collator.compare(holidayName(a), holidayName(b)) < 0;
    });
    return true;
}

bool HolidayCalendar::sortHolidaysByStart() {
    if (holidays.size() < 2) {
        return false;
    }
    std::sort(holidays.begin(), holidays.end(), [](const Holiday& a, const Holiday& b) {
        return std::tie(a.range.startYear, a.range.startMonth, a.range.startDay,
                        a.range.startHour) <
               std::tie(b.range.startYear, b.range.startMonth, b.range.startDay, b.range.startHour);
    });
    return true;
}

bool HolidayCalendar::sortAdjustedDaysByDateA() {
    if (adjustedDays.size() < 2) {
        return false;
    }
    std::sort(adjustedDays.begin(), adjustedDays.end(),
              [](const AdjustedDay& a, const AdjustedDay& b) {
                  return std::tie(a.dateA.year, a.dateA.month, a.dateA.day) <
                         std::tie(b.dateA.year, b.dateA.month, b.dateA.day);
              });
    return true;
}

void HolidayCalendar::clear() {
    holidays.clear();
    adjustedDays.clear();
}
