#pragma once

#include "core/timed/programme.h"

// A valid programme for tests: counted, every weekday, open date range.
inline Programme makeProgramme(const QString& name, std::initializer_list<ClockTime> starts,
                               bool countByTracks = true, int count = 1) {
    Programme p = newProgramme();
    setProgrammeName(p, name);
    setProgrammePath(p, QStringLiteral("/music/") + name + QStringLiteral(".mp3"));
    p.startCount = 0;
    for (const ClockTime& t : starts) {
        p.startTimes[p.startCount++] = t;
    }
    p.countByTracks = countByTracks ? 1 : 0;
    if (countByTracks) {
        p.trackCount = count;
    } else {
        p.secondsCount = count;
    }
    return p;
}
