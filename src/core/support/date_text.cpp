#include "core/support/date_text.h"

#include <cstdlib>

const QStringList& weekdayNames() {
    static const QStringList names = {QStringLiteral("周一"), QStringLiteral("周二"),
                                      QStringLiteral("周三"), QStringLiteral("周四"),
                                      QStringLiteral("周五"), QStringLiteral("周六"),
                                      QStringLiteral("周日")};
    return names;
}

QString formatClockTime(const ClockTime& t) {
    return QString::asprintf("%.2d:%.2d:%.2d", t.hour, t.minute, t.second);
}

QString formatStartTimes(const ClockTime* times, int count) {
    QString text;
    for (int i = 0; i < count; ++i) {
        if (i == 5) {
            text += QStringLiteral("  ...");
            break;
        }
        if (i > 0) {
            text += QStringLiteral("  ");
        }
        text += formatClockTime(times[i]);
        text += QLatin1Char(',');
    }
    return text;
}

QString formatDays(bool byWeekday, const qint32 weekdays[7], const qint32 monthDays[31]) {
    QString text;
    if (byWeekday) {
        text = QStringLiteral("每周:");
        for (int i = 0; i < 7; ++i) {
            if (weekdays[i] != 0) {
                text += QChar(u'1' + i);
            }
        }
        return text;
    }
    for (int i = 0; i < 31; ++i) {
        if (monthDays[i] != 0) {
            text += text.isEmpty() ? QStringLiteral("每月:") : QStringLiteral(",");
            text += QString::number(i + 1);
        }
    }
    return text;
}

QString formatDateHour(int year, int month, int day, int hour) {
    return QString::asprintf("%.4d-%.2d-%.2d %.2d:00", year, month, day, hour);
}

QString formatDateHourRange(const DateHourRange& r) {
    return formatDateHour(r.startYear, r.startMonth, r.startDay, r.startHour) +
           QStringLiteral(" ~ ") + formatDateHour(r.endYear, r.endMonth, r.endDay, r.endHour);
}

QString formatDateWithWeekday(const CalendarDate& d) {
    // The stored weekday counts from Sunday = 0; the lists count Sunday as 7.
    const int weekday = dayOfWeek(d.year, d.month, d.day);
    return QString::asprintf("%.4d-%.2d-%.2d (周%d)", d.year, d.month, d.day,
                             weekday == 0 ? 7 : weekday);
}

QString formatMinSec(qint64 milliseconds) {
    if (milliseconds < 0) {
        return QString();
    }
    const qint64 seconds = milliseconds / 1000;
    return QString::asprintf("%.2lld:%.2lld", seconds / 60, seconds % 60);
}

QString formatProgress(qint64 totalSeconds, qint64 elapsedSeconds) {
    const qint64 elapsed = elapsedSeconds > totalSeconds ? totalSeconds : elapsedSeconds;
    const qint64 shown = std::llabs(elapsed);
    return QString::asprintf("%s%.2lld:%.2lld / %.2lld:%.2lld", elapsed < 0 ? "-" : "", shown / 60,
                             shown % 60, totalSeconds / 60, totalSeconds % 60);
}

QString formatTimestamp(const LocalDateTime& t) {
    return QString::asprintf("%.4d-%.2d-%.2d %.2d:%.2d:%.2d", t.year, t.month, t.day, t.hour,
                             t.minute, t.second);
}

QString formatDate(const LocalDateTime& t) {
    return QString::asprintf("%.4d-%.2d-%.2d", t.year, t.month, t.day);
}

QString formatStartFrom(const LocalDateTime& start, const LocalDateTime& today) {
    const QString time = formatClockTime({start.hour, start.minute, start.second});
    if (sameDate(start, today)) {
        return time;
    }
    const LocalDateTime tomorrow =
        dateTimeFromTicks(dateTimeTicks(makeDateTime(today.year, today.month, today.day)) +
                          qint64{kSecondsPerDay} * kTicksPerSecond);
    return (sameDate(start, tomorrow) ? QStringLiteral("明天") : formatDate(start)) + u' ' + time;
}
