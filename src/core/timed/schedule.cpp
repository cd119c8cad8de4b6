#include "core/timed/schedule.h"

#include <algorithm>

#include "core/timed/start_index.h"

namespace {

int secondsOfDay(const LocalDateTime& t) {
    return t.hour * 3600 + t.minute * 60 + t.second;
}

// Days before this one are not searched in the index (their tick counts could turn
// negative); they are scanned.
constexpr qint64 kLowestIndexedDay = Q_INT64_C(1) << 55;

bool playsOnDay(const Programme& p, const LocalDateTime& day) {
    if (p.byWeekday != 0) {
        // Sunday is 0 in the date, 6 in the flags.
        return p.weekdays[(day.dayOfWeek + 6) % 7] != 0;
    }
    return day.day >= 1 && day.day <= 31 && p.monthDays[day.day - 1] != 0;
}

// The first start, in the programme's order, that has not fired and whose window holds the
// moment: a candidate is the moment's own date with the start's time of day.
int scanStarts(const Programme& p, const LocalDateTime& moment, qint64 momentTicks,
               qint64 lastTicks) {
    const int momentSecond = secondsOfDay(moment);
    const qint64 dayTicks =
        momentTicks - momentSecond * kTicksPerSecond - moment.millisecond * kTicksPerMillisecond;
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
            return i;
        }
    }
    return -1;
}

qint64 floorDivide(qint64 a, qint64 b) {
    const qint64 q = a / b;
    return a % b != 0 && (a < 0) != (b < 0) ? q - 1 : q;
}

// The same answer from the index. With base the ticks of the moment's day at its
// milliseconds, start s (second of the day) has the candidate base + s seconds: it has not
// fired when that is later than the last start, and its window holds the moment when s is at
// most the moment's second and at least that minus the window. So the matching starts are
// exactly those with s in one range, and the answer is the first of them in table order.
int searchStarts(const Programme& p, StartIndex& index, const LocalDateTime& moment,
                 qint64 momentTicks, qint64 lastTicks) {
    const qint64 second = secondsOfDay(moment);
    const qint64 base = momentTicks - second * kTicksPerSecond;
    StartIndex::Quiet& quiet = index.quiet;
    if (quiet.baseTicks == base && quiet.lastTicks == lastTicks && second >= quiet.from &&
        second < quiet.until) {
        return -1;
    }
    qint64 lowest = floorDivide(lastTicks - base, kTicksPerSecond) + 1;
    if (p.countByTracks != 0) {
        lowest = std::max(lowest, second - kTrackWindowSeconds);
    } else {
        // The window ends on a whole second: with milliseconds it holds one second less.
        const qint64 window = static_cast<quint32>(p.secondsCount);
        lowest = std::max(lowest, second - window + (base % kTicksPerSecond != 0 ? 1 : 0));
    }
    const int first = index.firstInOrder(lowest, second);
    if (first < 0) {
        // Later moments of the day need a start at or after `lowest` too: none before the next.
        quiet = {base, lastTicks, second, index.nextAtOrAfter(lowest)};
    }
    return first;
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
                    ProgrammeStatus& status, LocalDateTime& matchedStart, StartIndex* index) {
    status = programmeStatusAt(p, moment);

    const qint64 momentTicks = dateTimeTicks(moment);
    qint64 lastTicks = dateTimeTicks(p.lastStartTime);
    if ((momentTicks - lastTicks) / kTicksPerSecond < -kTrackWindowSeconds) {
        p.lastStartTime = neverDateTime();
        lastTicks = dateTimeTicks(p.lastStartTime);
    }
    if (p.disabled != 0 || status != ProgrammeStatus::Enabled) {
        return false;
    }
    if (p.startCount <= 0) {
        return false;
    }
    // The tests below only say no, so their order does not change the answer: the cheap
    // one about the starts comes before the calendar's.
    const bool indexed = index != nullptr && index->fits(p) &&
                         momentTicks - secondsOfDay(moment) * kTicksPerSecond > kLowestIndexedDay;
    const int first = indexed ? searchStarts(p, *index, moment, momentTicks, lastTicks)
                              : scanStarts(p, moment, momentTicks, lastTicks);
    if (first < 0) {
        return false;
    }
    if (!playsOnDay(p, calendar.adjustedDate(moment))) {
        return false;
    }
    if (calendar.isInHoliday(moment)) {
        return false;
    }
    const ClockTime& start = p.startTimes[first];
    matchedStart = moment;
    matchedStart.hour = static_cast<quint16>(start.hour);
    matchedStart.minute = static_cast<quint16>(start.minute);
    matchedStart.second = static_cast<quint16>(start.second);
    return true;
}
