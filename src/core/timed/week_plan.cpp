#include "core/timed/week_plan.h"

#include <climits>

#include "core/support/date_text.h"
#include "core/timed/preview.h"

namespace {

// Until a length is known a pass of a file is taken as a short announcement and a track of a
// folder as a song.
constexpr qint64 kGuessedPassSeconds = 60;
constexpr qint64 kGuessedTrackSeconds = 180;
// An empty week still shows a school day.
constexpr int kEmptyAxisFrom = 8 * 3600;
constexpr int kEmptyAxisTo = 17 * 3600;

constexpr int kMinutesPerDay = kSecondsPerDay / 60;

LocalDateTime atMinute(const LocalDateTime& date, int minute) {
    LocalDateTime t = date;
    t.hour = static_cast<quint16>(minute / 60);
    t.minute = static_cast<quint16>(minute % 60);
    return t;
}

// The first minute of the day at which the holiday's position is at least `position`
// (positions only grow through a day), or kMinutesPerDay.
int firstMinuteAtLeast(const DateHourRange& range, const LocalDateTime& date, int position) {
    int low = 0;
    int high = kMinutesPerDay;
    while (low < high) {
        const int middle = (low + high) / 2;
        if (dateHourPosition(range, atMinute(date, middle)) >= position) {
            high = middle;
        } else {
            low = middle + 1;
        }
    }
    return low;
}

std::vector<HolidaySpan> holidaySpans(const HolidayCalendar& calendar, const LocalDateTime& date) {
    std::vector<HolidaySpan> spans;
    for (const Holiday& h : calendar.holidays) {
        if (h.disabled != 0) {
            continue;
        }
        const int from = firstMinuteAtLeast(h.range, date, 0);
        const int to = firstMinuteAtLeast(h.range, date, 1);
        if (from < to) {
            spans.push_back({holidayName(h), from * 60, to * 60, h.range});
        }
    }
    return spans;
}

int secondOf(const LocalDateTime& t) {
    return t.hour * 3600 + t.minute * 60 + t.second;
}

qint64 expectedSeconds(const WeekProgramme& p, qint64 trackMs, bool& estimated) {
    if (!p.countByTracks) {
        estimated = false;
        return p.count;
    }
    estimated = p.folder || trackMs < 0;
    if (trackMs < 0) {
        return p.count * (p.folder ? kGuessedTrackSeconds : kGuessedPassSeconds);
    }
    return (p.count * trackMs + 999) / 1000;
}

void updateAxis(WeekPlan& plan) {
    int from = kSecondsPerDay;
    int to = 0;
    for (const WeekDay& day : plan.days) {
        for (const WeekBlock& b : day.blocks) {
            from = std::min(from, b.dueSecond);
            to = std::max(to, b.endSecond);
        }
    }
    if (from > to) {
        plan.axisFrom = kEmptyAxisFrom;
        plan.axisTo = kEmptyAxisTo;
        return;
    }
    plan.axisFrom = from / 3600 * 3600;
    plan.axisTo = std::min(kSecondsPerDay, (to + 3599) / 3600 * 3600);
    if (plan.axisTo <= plan.axisFrom) {
        plan.axisTo = std::min(kSecondsPerDay, plan.axisFrom + 3600);
        plan.axisFrom = plan.axisTo - 3600;
    }
}

}  // namespace

size_t WeekPlan::startCount() const {
    size_t count = 0;
    for (const WeekDay& day : days) {
        count += day.blocks.size();
    }
    return count;
}

LocalDateTime mondayOf(const LocalDateTime& date) {
    const LocalDateTime midnight = makeDateTime(date.year, date.month, date.day);
    const int sinceMonday = (midnight.dayOfWeek + 6) % 7;
    return dateTimeFromTicks(dateTimeTicks(midnight) -
                             qint64{sinceMonday} * kSecondsPerDay * kTicksPerSecond);
}

WeekPlan planWeek(const ProgrammeTable& table, const HolidayCalendar& calendar,
                  const LocalDateTime& day) {
    WeekPlan plan;
    for (const Programme& p : table.items()) {
        WeekProgramme w;
        w.name = programmeName(p);
        w.path = programmePath(p);
        w.folder = p.singleFile == 0;
        w.countByTracks = p.countByTracks != 0;
        w.count = w.countByTracks ? std::max(p.trackCount, 1)
                                  : static_cast<qint64>(static_cast<quint32>(p.secondsCount));
        w.seconds = expectedSeconds(w, -1, w.estimated);
        plan.programmes.push_back(w);
    }
    const LocalDateTime monday = mondayOf(day);
    LocalDateTime date = monday;
    for (WeekDay& d : plan.days) {
        d.date = date;
        d.holidays = holidaySpans(calendar, date);
        const LocalDateTime adjusted = calendar.adjustedDate(date);
        d.adjusted = !sameDate(adjusted, date);
        d.playsAs = adjusted;
        date = addSeconds(date, kSecondsPerDay);
    }
    // The preview walks the week from Monday 00:00 exactly as `--preview MONDAY 7` does.
    // The starts come day by day.
    size_t current = 0;
    previewStarts(table, calendar, monday.year, monday.month, monday.day, 7,
                  [&](const LocalDateTime& moment, const LocalDateTime& start, int row) {
                      while (!sameDate(plan.days[current].date, moment)) {
                          ++current;
                      }
                      plan.days[current].blocks.push_back(
                          {row, secondOf(moment), secondOf(start), secondOf(start)});
                  });
    applyLengths(plan, [](const QString&, bool) { return qint64{-1}; });
    return plan;
}

void applyLengths(WeekPlan& plan, const TrackLengthMs& lengthOf) {
    for (WeekProgramme& p : plan.programmes) {
        // Counted in seconds, the length needs no file.
        const qint64 trackMs = p.countByTracks ? lengthOf(p.path, p.folder) : -1;
        p.seconds = expectedSeconds(p, trackMs, p.estimated);
    }
    for (WeekDay& d : plan.days) {
        for (WeekBlock& b : d.blocks) {
            const qint64 end =
                b.startSecond + plan.programmes[static_cast<size_t>(b.programme)].seconds;
            b.endSecond = static_cast<int>(std::clamp<qint64>(end, b.dueSecond, kSecondsPerDay));
        }
    }
    updateAxis(plan);
}

QString weekdayText(const LocalDateTime& date) {
    return weekdayNames().at((date.dayOfWeek + 6) % 7);
}

QString weekRangeText(const WeekPlan& plan) {
    const LocalDateTime& first = plan.days.front().date;
    const LocalDateTime& last = plan.days.back().date;
    return QStringLiteral("%1 (%2) ~ %3 (%4)")
        .arg(formatDate(first), weekdayText(first), formatDate(last), weekdayText(last));
}

QString adjustedDayText(const WeekDay& day) {
    return day.adjusted ? QStringLiteral("按 ") + weekdayText(day.playsAs) : QString();
}

WeekLanes layoutWeek(const WeekPlan& plan, int minimumSeconds, int maxLanes) {
    WeekLanes lanes;
    lanes.minimumSeconds = minimumSeconds;
    maxLanes = std::clamp(maxLanes, 1, 255);
    std::vector<int> freeAt;  // per lane, where its last block ends
    for (size_t d = 0; d < plan.days.size(); ++d) {
        const std::vector<WeekBlock>& blocks = plan.days[d].blocks;
        std::vector<quint8>& lane = lanes.lane[d];
        std::vector<quint8>& across = lanes.across[d];
        lane.resize(blocks.size());
        across.resize(blocks.size());
        freeAt.clear();
        int longest = 0;
        int used = 1;
        // The group under way: from its first block, as far as its blocks reach.
        size_t groupStart = 0;
        int groupEnd = INT_MIN;
        int groupLanes = 0;
        auto closeGroup = [&](size_t end) {
            std::fill(across.begin() + static_cast<std::ptrdiff_t>(groupStart),
                      across.begin() + static_cast<std::ptrdiff_t>(end),
                      static_cast<quint8>(groupLanes));
            used = std::max(used, groupLanes);
        };
        for (size_t i = 0; i < blocks.size(); ++i) {
            const WeekBlock& b = blocks[i];
            const int end = drawnEnd(b, minimumSeconds);
            longest = std::max(longest, end - b.dueSecond);
            if (b.dueSecond >= groupEnd) {
                closeGroup(i);
                groupStart = i;
                groupLanes = 0;
                freeAt.clear();
            }
            size_t chosen = 0;
            while (chosen < freeAt.size() && freeAt[chosen] > b.dueSecond) {
                ++chosen;
            }
            if (chosen == freeAt.size()) {
                if (freeAt.size() < static_cast<size_t>(maxLanes)) {
                    freeAt.push_back(0);
                } else {
                    chosen = static_cast<size_t>(std::min_element(freeAt.begin(), freeAt.end()) -
                                                 freeAt.begin());
                }
            }
            freeAt[chosen] = std::max(freeAt[chosen], end);
            lane[i] = static_cast<quint8>(chosen);
            groupLanes = std::max(groupLanes, static_cast<int>(chosen) + 1);
            groupEnd = std::max(groupEnd, end);
        }
        closeGroup(blocks.size());
        lanes.count[d] = used;
        lanes.longest[d] = longest;
    }
    return lanes;
}
