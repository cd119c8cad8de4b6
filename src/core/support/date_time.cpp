#include "core/support/date_time.h"

#include <QDate>

namespace {

// The Julian day of 1601-01-01, the day the ticks count from.
constexpr qint64 kJulianDay1601 = 2'305'814;

// Fields compared as the fixed-width texts "yyyy-mm-dd hh:mi" would compare.
qint64 rangeKey(qint64 y, qint64 mo, qint64 d, qint64 h, qint64 mi) {
    return (((y * 100 + mo) * 100 + d) * 100 + h) * 100 + mi;
}

}  // namespace

bool operator==(const LocalDateTime& a, const LocalDateTime& b) {
    return a.year == b.year && a.month == b.month && a.dayOfWeek == b.dayOfWeek && a.day == b.day &&
           a.hour == b.hour && a.minute == b.minute && a.second == b.second &&
           a.millisecond == b.millisecond;
}

bool operator==(const ClockTime& a, const ClockTime& b) {
    return a.hour == b.hour && a.minute == b.minute && a.second == b.second;
}

bool operator==(const CalendarDate& a, const CalendarDate& b) {
    return a.year == b.year && a.month == b.month && a.day == b.day;
}

bool operator==(const DateHourRange& a, const DateHourRange& b) {
    return a.startYear == b.startYear && a.startMonth == b.startMonth && a.startDay == b.startDay &&
           a.startHour == b.startHour && a.endYear == b.endYear && a.endMonth == b.endMonth &&
           a.endDay == b.endDay && a.endHour == b.endHour;
}

bool isLeapYear(int year) {
    return QDate::isLeapYear(year);
}

int daysInMonth(int year, int month) {
    return month < 1 || month > 12 ? 0 : QDate(year, month, 1).daysInMonth();
}

bool isValidDate(int year, int month, int day) {
    return year >= 1853 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 &&
           day <= daysInMonth(year, month);
}

int dayOfWeek(int year, int month, int day) {
    if (!isValidDate(year, month, day)) {
        return -1;
    }
    // Qt counts Monday 1 ... Sunday 7; here Sunday is 0.
    return QDate(year, month, day).dayOfWeek() % 7;
}

bool isValidClockTime(const ClockTime& t) {
    return t.hour >= 0 && t.hour <= 23 && t.minute >= 0 && t.minute <= 59 && t.second >= 0 &&
           t.second <= 59;
}

int secondsOfDay(const ClockTime& t) {
    return t.hour * 3600 + t.minute * 60 + t.second;
}

qint64 dateTimeTicks(const LocalDateTime& t) {
    if (t.year < 1601 || t.year > 30827 || t.month < 1 || t.month > 12 || t.day < 1 ||
        t.day > daysInMonth(t.year, t.month) || t.hour > 23 || t.minute > 59 || t.second > 59 ||
        t.millisecond > 999) {
        return 0;
    }
    const qint64 days = QDate(t.year, t.month, t.day).toJulianDay() - kJulianDay1601;
    const qint64 seconds = days * kSecondsPerDay + t.hour * 3600 + t.minute * 60 + t.second;
    return seconds * kTicksPerSecond + t.millisecond * kTicksPerMillisecond;
}

LocalDateTime dateTimeFromTicks(qint64 ticks) {
    if (ticks < 0) {
        ticks = 0;
    }
    const qint64 totalSeconds = ticks / kTicksPerSecond;
    const qint64 days = totalSeconds / kSecondsPerDay;
    const qint64 secondOfDay = totalSeconds % kSecondsPerDay;
    const QDate date = QDate::fromJulianDay(days + kJulianDay1601);
    LocalDateTime t;
    t.year = static_cast<quint16>(date.year());
    t.month = static_cast<quint16>(date.month());
    t.day = static_cast<quint16>(date.day());
    t.dayOfWeek = static_cast<quint16>((days + 1) % 7);  // 1601-01-01 was a Monday
    t.hour = static_cast<quint16>(secondOfDay / 3600);
    t.minute = static_cast<quint16>(secondOfDay / 60 % 60);
    t.second = static_cast<quint16>(secondOfDay % 60);
    t.millisecond = static_cast<quint16>(ticks % kTicksPerSecond / kTicksPerMillisecond);
    return t;
}

int compareDateTimes(const LocalDateTime& a, const LocalDateTime& b) {
    const qint64 ta = dateTimeTicks(a);
    const qint64 tb = dateTimeTicks(b);
    return ta < tb ? -1 : (ta > tb ? 1 : 0);
}

qint64 secondsBetween(const LocalDateTime& a, const LocalDateTime& b) {
    return (dateTimeTicks(a) - dateTimeTicks(b)) / kTicksPerSecond;
}

LocalDateTime addSeconds(const LocalDateTime& t, quint32 seconds) {
    const qint64 whole = dateTimeTicks(t) / kTicksPerSecond * kTicksPerSecond;
    return dateTimeFromTicks(whole + static_cast<qint64>(seconds) * kTicksPerSecond);
}

bool isValidDateHourRange(const DateHourRange& r) {
    if (!isValidDate(r.startYear, r.startMonth, r.startDay) || r.startHour < 0 ||
        r.startHour > 24 || !isValidDate(r.endYear, r.endMonth, r.endDay) || r.endHour < 0 ||
        r.endHour > 24) {
        return false;
    }
    return rangeKey(r.startYear, r.startMonth, r.startDay, r.startHour, 0) <
           rangeKey(r.endYear, r.endMonth, r.endDay, r.endHour, 0);
}

int dateHourPosition(const DateHourRange& r, const LocalDateTime& moment) {
    const qint64 m = rangeKey(moment.year, moment.month, moment.day, moment.hour, moment.minute);
    if (m < rangeKey(r.startYear, r.startMonth, r.startDay, r.startHour, 0)) {
        return -1;
    }
    if (m > rangeKey(r.endYear, r.endMonth, r.endDay, r.endHour, 0)) {
        return 1;
    }
    return 0;
}

LocalDateTime makeDateTime(int year, int month, int day, int hour, int minute, int second,
                           int millisecond) {
    LocalDateTime t;
    t.year = static_cast<quint16>(year);
    t.month = static_cast<quint16>(month);
    t.day = static_cast<quint16>(day);
    t.hour = static_cast<quint16>(hour);
    t.minute = static_cast<quint16>(minute);
    t.second = static_cast<quint16>(second);
    t.millisecond = static_cast<quint16>(millisecond);
    const qint64 ticks = dateTimeTicks(t);
    t.dayOfWeek = ticks > 0 ? dateTimeFromTicks(ticks).dayOfWeek : 0;
    return t;
}

LocalDateTime neverDateTime() {
    return makeDateTime(2000, 1, 1, 12, 0, 0, 0);
}
