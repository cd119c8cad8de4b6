#pragma once

#include <QString>

#include "core/holidays/holiday_calendar.h"
#include "core/timed/programme.h"

class StartIndex;

// A programme counted in passes or tracks starts within this many seconds of its time.
constexpr int kTrackWindowSeconds = 15;

// What the "启/停" column shows for a programme at a moment.
enum class ProgrammeStatus { Disabled, Enabled, Expired, NotYetValid };

const QString& programmeStatusText(ProgrammeStatus status);
ProgrammeStatus programmeStatusAt(const Programme& p, const LocalDateTime& moment);

// Decides whether the programme is due at the moment (milliseconds 0) and for which start.
// Also yields its status and resets lastStartTime when the clock went back more than 15 s.
// Allocates nothing: it runs for every programme twenty times a second. With the programme's
// start index the answer is the same, found without reading every start.
bool isProgrammeDue(Programme& p, const LocalDateTime& moment, const HolidayCalendar& calendar,
                    ProgrammeStatus& status, LocalDateTime& matchedStart,
                    StartIndex* index = nullptr);
