#pragma once

#include <QString>
#include <vector>

#include "core/support/date_time.h"

// One event of an iCalendar file, in local time, as far as the holiday calendar needs it.
struct CalendarEvent {
    QString summary;      // trimmed; may be empty
    DateHourRange range;  // the whole hours it covers: a valid range
    bool allDay = false;
};

// The events of an iCalendar file (RFC 5545, read by libical: folded lines, escapes and time
// zones as the standard has them). An all-day event covers its days from hour 0 of DTSTART to
// hour 24 of the day before DTEND (one day without DTEND); an event with times covers its
// start hour to its end hour rounded up. Times with a zone are taken in local time. False with
// the message when the file cannot be read or is no calendar.
bool readCalendarEvents(const QString& path, std::vector<CalendarEvent>& events, QString& message);
