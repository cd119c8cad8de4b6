#include "timed/programme_rows.h"

#include "support/date_text.h"
#include "timed/schedule.h"

QString durationText(const Programme& p) {
    if (p.countByTracks != 0) {
        return QString::number(p.trackCount) +
               (p.singleFile != 0 ? QStringLiteral("遍") : QStringLiteral("首"));
    }
    return QStringLiteral("%1秒").arg(p.secondsCount);
}

QString startTimesText(const Programme& p) {
    return formatStartTimes(p.startTimes, qBound(0, p.startCount, kMaxStartTimes));
}

QString daysText(const Programme& p) {
    return formatDays(p.byWeekday != 0, p.weekdays, p.monthDays);
}

QStringList programmeRowTexts(const Programme& p, const LocalDateTime& now) {
    return {programmeName(p),  programmeStatusText(programmeStatusAt(p, now)),
            startTimesText(p), durationText(p),
            programmePath(p),  QString::number(p.volume),
            daysText(p),       formatDateHourRange(p.dateRange)};
}
