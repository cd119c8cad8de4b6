#pragma once

#include <QtGlobal>

// Broken-down local date-time as the data files store it: eight unsigned 16-bit fields.
// There is no time-zone handling anywhere; every value is local time.
struct LocalDateTime {
    quint16 year = 0;
    quint16 month = 0;
    quint16 dayOfWeek = 0;  // 0 = Sunday ... 6 = Saturday
    quint16 day = 0;
    quint16 hour = 0;
    quint16 minute = 0;
    quint16 second = 0;
    quint16 millisecond = 0;
};
static_assert(sizeof(LocalDateTime) == 16);

struct ClockTime {
    qint32 hour = 0;
    qint32 minute = 0;
    qint32 second = 0;
};
static_assert(sizeof(ClockTime) == 12);

struct CalendarDate {
    qint32 year = 0;
    qint32 month = 0;
    qint32 day = 0;
};
static_assert(sizeof(CalendarDate) == 12);

struct DateHourRange {
    qint32 startYear = 0;
    qint32 startMonth = 0;
    qint32 startDay = 0;
    qint32 startHour = 0;
    qint32 endYear = 0;
    qint32 endMonth = 0;
    qint32 endDay = 0;
    qint32 endHour = 0;
};
static_assert(sizeof(DateHourRange) == 32);

bool operator==(const LocalDateTime& a, const LocalDateTime& b);
bool operator==(const ClockTime& a, const ClockTime& b);
bool operator==(const CalendarDate& a, const CalendarDate& b);
bool operator==(const DateHourRange& a, const DateHourRange& b);

// The 100-ns ticks of the date-time arithmetic.
constexpr qint64 kTicksPerSecond = 10'000'000;
constexpr qint64 kTicksPerMillisecond = 10'000;
constexpr int kSecondsPerDay = 86'400;

// 100-nanosecond intervals since 1601-01-01 00:00; 0 for a value that cannot be converted.
qint64 dateTimeTicks(const LocalDateTime& t);
// Inverse of dateTimeTicks; the day of week is computed. Negative counts give 1601-01-01.
LocalDateTime dateTimeFromTicks(qint64 ticks);

int compareDateTimes(const LocalDateTime& a, const LocalDateTime& b);
qint64 secondsBetween(const LocalDateTime& a, const LocalDateTime& b);
LocalDateTime addSeconds(const LocalDateTime& t, quint32 seconds);

bool isLeapYear(int year);
int daysInMonth(int year, int month);
bool isValidDate(int year, int month, int day);
int dayOfWeek(int year, int month, int day);
bool isValidClockTime(const ClockTime& t);
int secondsOfDay(const ClockTime& t);

bool isValidDateHourRange(const DateHourRange& r);
int dateHourPosition(const DateHourRange& r, const LocalDateTime& moment);

// The value that stands for "never fired": 2000-01-01 12:00:00.000, a Saturday.
LocalDateTime neverDateTime();
LocalDateTime makeDateTime(int year, int month, int day, int hour = 0, int minute = 0,
                           int second = 0, int millisecond = 0);

inline bool sameDate(const LocalDateTime& a, const LocalDateTime& b) {
    return a.year == b.year && a.month == b.month && a.day == b.day;
}
