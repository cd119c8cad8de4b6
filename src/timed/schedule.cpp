#include "timed/schedule.h"

namespace {

// A programme counted in passes or tracks starts within this many seconds of its time.
constexpr int kTrackWindowSeconds = 15;

int secondsOfDay(const LocalDateTime& t) {
    return t.hour * 3600 + t.minute * 60 + t.second;
}

bool playsOnDay(const Programme& p, const LocalDateTime& day) {
    if (p.byWeekday != 0) {
        // Sunday is 0 in the date, 6 in the flags.
        return p.weekdays[(day.dayOfWeek + 6) % 7] != 0;
    }
    return day.day >= 1 && day.day <= 31 && p.monthDays[day.day - 1] != 0;
}

}  // namespace

const QString& programmeStatusText(ProgrammeStatus status) {
    static const QString kDisabled = QStringLiteral("停用");
    static const QString kEnabled = QStringLiteral("启用");
    static const QString kExpired = QStringLiteral("已过有效期");
    static const QString kNotYet = QStringLiteral("未到有效期");
    switch (status) {
        case ProgrammeStatus::Disabled:
            return kDisabled;
        case ProgrammeStatus::Expired:
            return kExpired;
        case ProgrammeStatus::NotYetValid:
            return kNotYet;
        case ProgrammeStatus::Enabled:
            break;
    }
    return kEnabled;
}

ProgrammeStatus programmeStatusAt(const Programme& p, const LocalDateTime& moment) {
    if (p.disabled != 0) {
        return ProgrammeStatus::Disabled;
    }
    const int position = dateHourPosition(p.dateRange, moment);
    return position > 0   ? ProgrammeStatus::Expired
           : position < 0 ? ProgrammeStatus::NotYetValid
                          : ProgrammeStatus::Enabled;
}

bool isProgrammeDue(Programme& p, const LocalDateTime& moment, const HolidayCalendar& calendar,
                    ProgrammeStatus& status, LocalDateTime& matchedStart) {
    status = programmeStatusAt(p, moment);

    const qint64 momentTicks = dateTimeTicks(moment);
    if ((momentTicks - dateTimeTicks(p.lastStartTime)) / kTicksPerSecond < -kTrackWindowSeconds) {
        p.lastStartTime = neverDateTime();
    }
    if (p.disabled != 0 || status != ProgrammeStatus::Enabled) {
        return false;
    }
    if (!playsOnDay(p, calendar.adjustedDate(moment))) {
        return false;
    }
    if (calendar.isInHoliday(moment)) {
        return false;
    }
    if (p.startCount <= 0) {
        return false;
    }

    // A candidate is the moment's own date with the start's time of day.
    const int momentSecond = secondsOfDay(moment);
    const qint64 dayTicks =
        momentTicks - momentSecond * kTicksPerSecond - moment.millisecond * kTicksPerMillisecond;
    const qint64 lastTicks = dateTimeTicks(p.lastStartTime);
    const int count = p.startCount < kMaxStartTimes ? p.startCount : kMaxStartTimes;
    for (int i = 0; i < count; ++i) {
        const ClockTime& start = p.startTimes[i];
        const int startSecond = start.hour * 3600 + start.minute * 60 + start.second;
        const qint64 candidateTicks =
            dayTicks + startSecond * kTicksPerSecond + moment.millisecond * kTicksPerMillisecond;
        if (candidateTicks <= lastTicks) {
            continue;  // fired already, or a later start has
        }
        bool matches = false;
        if (p.countByTracks != 0) {
            const int late = momentSecond - startSecond;
            matches = late >= 0 && late <= kTrackWindowSeconds;
        } else {
            const qint64 endTicks =
                candidateTicks / kTicksPerSecond * kTicksPerSecond +
                static_cast<qint64>(static_cast<quint32>(p.secondsCount)) * kTicksPerSecond;
            matches = momentTicks >= candidateTicks && momentTicks <= endTicks;
        }
        if (matches) {
            matchedStart = moment;
            matchedStart.hour = static_cast<quint16>(start.hour);
            matchedStart.minute = static_cast<quint16>(start.minute);
            matchedStart.second = static_cast<quint16>(start.second);
            return true;
        }
    }
    return false;
}
