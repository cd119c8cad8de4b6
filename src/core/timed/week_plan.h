#pragma once

#include <QString>
#include <algorithm>
#include <array>
#include <functional>
#include <vector>

#include "core/holidays/holiday_calendar.h"
#include "core/timed/programme_table.h"

// A programme as the week at a glance shows it: what it plays and how long a run is expected
// to last.
struct WeekProgramme {
    QString name;
    QString path;
    bool folder = false;
    bool countByTracks = true;
    qint64 count = 0;       // passes or tracks; seconds when not counted by tracks
    qint64 seconds = 0;     // the expected length of one run
    bool estimated = true;  // a guess: tracks of a folder, or a file of unknown length
};

// One start of the week.
struct WeekBlock {
    int programme = 0;    // the programme's row in the table and in WeekPlan::programmes
    int dueSecond = 0;    // second of the day it falls due; after startSecond when it joins late
    int startSecond = 0;  // the start time it fires for
    int endSecond = 0;    // the expected end, at most the end of the day
};

// The part of a day that an enabled holiday covers.
struct HolidaySpan {
    QString name;
    int fromSecond = 0;
    int toSecond = 0;     // exclusive
    DateHourRange range;  // the whole holiday
};

struct WeekDay {
    LocalDateTime date;             // 00:00:00 of the day
    std::vector<WeekBlock> blocks;  // in the order they fall due
    std::vector<HolidaySpan> holidays;
    bool adjusted = false;
    LocalDateTime playsAs;  // whose timetable applies, on an adjusted day
};

// The week from Monday to Sunday, found by the same evaluation as the preview and today's
// starts, so the three cannot disagree.
struct WeekPlan {
    std::array<WeekDay, 7> days;            // Monday first
    std::vector<WeekProgramme> programmes;  // by row of the table
    // The time axis: whole hours from the first start to the last expected end.
    int axisFrom = 0;
    int axisTo = 0;

    size_t startCount() const;
};

// 00:00:00 of the Monday of the date's week.
LocalDateTime mondayOf(const LocalDateTime& date);

// The week that holds `day`. Every run has the guessed length until applyLengths.
WeekPlan planWeek(const ProgrammeTable& table, const HolidayCalendar& calendar,
                  const LocalDateTime& day);

// The length in milliseconds of a file, or of a typical track of a folder; -1 when unknown.
using TrackLengthMs = std::function<qint64(const QString& path, bool folder)>;
// The expected length of every programme's runs, the ends of the blocks and the axis.
void applyLengths(WeekPlan& plan, const TrackLengthMs& lengthOf);

// "按 周一" on a day that plays another day's timetable, else empty.
QString adjustedDayText(const WeekDay& day);
// "周一" ... "周日" for the date.
QString weekdayText(const LocalDateTime& date);
// "2024-05-13 (周一) ~ 2024-05-19 (周日)".
QString weekRangeText(const WeekPlan& plan);

// Blocks that overlap stand side by side in lanes, and share the width among the lanes of
// their group (blocks linked by overlaps); a block alone takes the whole width. A block takes
// at least `minimumSeconds` (room for its label); with more than `maxLanes` at once the extra
// ones share the lane that frees first.
struct WeekLanes {
    std::array<std::vector<quint8>, 7> lane;    // per block of each day
    std::array<std::vector<quint8>, 7> across;  // per block: the lanes of its group
    std::array<int, 7> count{};                 // lanes used by each day, at least 1
    std::array<int, 7> longest{};               // the longest extent of a block of each day
    int minimumSeconds = 0;
};
WeekLanes layoutWeek(const WeekPlan& plan, int minimumSeconds, int maxLanes);
// Where a block ends as drawn: its end, or its minimum extent.
inline int drawnEnd(const WeekBlock& b, int minimumSeconds) {
    return std::max(b.endSecond, b.dueSecond + minimumSeconds);
}
