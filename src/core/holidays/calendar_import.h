#pragma once

#include <QString>
#include <QStringList>
#include <vector>

#include "core/holidays/calendar_events.h"
#include "core/holidays/holiday_calendar.h"

// What a calendar file adds to the holiday calendar: the holidays and adjusted days it has
// and the calendar lacks. Importing the same file again adds nothing.
struct CalendarImport {
    HolidayCalendar additions;  // new entries, in date order, each adjusted day with its b date
    int skippedHolidays = 0;
    int skippedAdjustedDays = 0;
};

// Is the event a worked day ("上班", "补班") rather than a holiday?
bool isMadeUpWorkday(const QString& summary);

// Turns the events into holidays and adjusted days beside the calendar:
// - each holiday event (the same name over touching days counts once) is a holiday named by
//   its summary; one whose name and range the calendar has is skipped, and a name that
//   another range has gets " YYYY" (its start year);
// - each day of a worked-day event is an adjusted day with the summary as its remark, skipped
//   when the calendar has its a date. Its b date is proposed: the holiday it makes up for is
//   the holiday event whose summary it contains, else the nearest one; that holiday's adjusted
//   days, in date order, take its last Monday-Friday dates, in date order.
CalendarImport proposeCalendarImport(const std::vector<CalendarEvent>& events,
                                     const HolidayCalendar& calendar);

// Appends the additions. Beyond 128 holidays or adjusted days nothing is added and the
// message is "最多 %d 个节假日" or "最多 %d 个调休".
bool addCalendarImport(const HolidayCalendar& additions, HolidayCalendar& calendar,
                       QString& message);

// "导入完成: 节假日 H 个 (跳过 h 个), 调休 A 个 (跳过 a 个)".
QString calendarImportSummary(const CalendarImport& import);
// "调休 YYYY-MM-DD (周N) 按 YYYY-MM-DD (周N)", one per adjusted day.
QStringList adjustedDayLines(const HolidayCalendar& additions);
