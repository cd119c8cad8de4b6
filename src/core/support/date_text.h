#pragma once

#include <QString>
#include <QStringList>

#include "core/support/date_time.h"

// Display texts shared by the lists, the editor and the play log.
// "周一" ... "周日", Monday first, as the day boxes of the dialogs read.
const QStringList& weekdayNames();
QString formatClockTime(const ClockTime& t);
QString formatStartTimes(const ClockTime* times, int count);
QString formatDays(bool byWeekday, const qint32 weekdays[7], const qint32 monthDays[31]);
// "yyyy-mm-dd hh:00", one end of a date-hour range.
QString formatDateHour(int year, int month, int day, int hour);
QString formatDateHourRange(const DateHourRange& r);
// "yyyy-mm-dd (周n)" with Monday 1 ... Sunday 7.
QString formatDateWithWeekday(const CalendarDate& d);
QString formatMinSec(qint64 milliseconds);
QString formatProgress(qint64 totalSeconds, qint64 elapsedSeconds);
// "yyyy-mm-dd hh:mm:ss", as the play log and the log list show a moment.
QString formatTimestamp(const LocalDateTime& t);
QString formatDate(const LocalDateTime& t);
// A start as a notice names it: "hh:mm:ss" today, "明天 hh:mm:ss" tomorrow, else with its
// date in front.
QString formatStartFrom(const LocalDateTime& start, const LocalDateTime& today);
