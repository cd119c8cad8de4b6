#include <gtest/gtest.h>

#include <functional>
#include <set>

#include "core/support/date_text.h"
#include "helpers/engine_harness.h"
#include "helpers/holiday_builders.h"
#include "helpers/random_timetable.h"

namespace {

// The file names of the players heard from the moment they were run ahead for.
QStringList heardAhead(const ScriptedBackend& backend) {
    QStringList names;
    for (const auto& record : backend.players) {
        if (record->clockStartTicks != 0 &&
            (!record->closed || record->closedTicks > record->clockStartTicks)) {
            names.append(record->path.mid(record->path.lastIndexOf(u'/') + 1));
        }
    }
    return names;
}

// Every line of the play log with its date and second.
QStringList datedLines(const RecordingReporter& log) {
    QStringList lines;
    for (const LoggedEvent& e : log.events) {
        lines.append(formatTimestamp(e.time) + u' ' + e.text);
    }
    return lines;
}

}  // namespace

// A bell at 08:00:00 on a free output, and something changing 1.5 s before it. The play log
// is the same whether players can be run ahead or not; one is heard ahead only when nothing
// changed the start.
TEST(EarlyStart, HeardOnItsSecondUnlessSomethingChangesBeforeIt) {
    const LocalDateTime t = at(8, 0, 0);
    struct Case {
        const char* what;
        std::function<void(EngineHarness&)> change;
        QStringList heardAhead;
    };
    const std::vector<Case> cases = {
        {"nothing changes", [](EngineHarness&) {}, {QStringLiteral("bell.mp3")}},
        {"the clock is set back a second",
         [](EngineHarness& h) { h.clock.set(dateTimeFromTicks(h.clock.ticks() - 10'000'000)); },
         {}},
        {"the clock is set on a second",
         [](EngineHarness& h) { h.clock.set(addSeconds(h.clock.now(), 1)); },
         {}},
        {"the programme is edited", [](EngineHarness& h) { h.table[0].volume = 80; }, {}},
        {"a holiday is added",
         [](EngineHarness& h) {
             h.calendar.holidays.push_back(
                 makeHoliday(QStringLiteral("停电"), DateHourRange{2024, 5, 6, 8, 2024, 5, 6, 9}));
         },
         {}},
        {"a later programme on time is added at the same second: it is the one run ahead",
         [](EngineHarness& h) {
             h.addProgramme(QStringLiteral("通知"), h.musicFile(QStringLiteral("notice.mp3")),
                            {{8, 0, 0}});
         },
         {QStringLiteral("notice.mp3")}},
        {"something is played by hand: the bell fades it out first",
         [](EngineHarness& h) { h.dispatcher.manualPlay(1, 1); },
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QStringList logs[2];
        for (const bool clockStarts : {false, true}) {
            EngineHarness h;
            h.backend.script.clockStarts = clockStarts;
            h.addProgramme(QStringLiteral("铃声"), h.musicFile(QStringLiteral("bell.mp3"), 5000),
                           {{8, 0, 0}});
            h.addProgramme(QStringLiteral("音乐"), h.musicFile(QStringLiteral("music.mp3"), 60'000),
                           {{12, 0, 0}});
            h.start(at(7, 59, 55));
            h.runUntil(at(7, 59, 58, 500));
            c.change(h);
            h.runUntil(addSeconds(t, 10));
            logs[clockStarts ? 1 : 0] = h.log.lines();
            EXPECT_EQ(heardAhead(h.backend), clockStarts ? c.heardAhead : QStringList());
            for (const auto& record : h.backend.players) {
                if (record->clockStartTicks != 0 && !c.heardAhead.isEmpty()) {
                    EXPECT_EQ(record->clockStartTicks, dateTimeTicks(t));
                }
            }
        }
        EXPECT_EQ(logs[1], logs[0]);
    }
}

// A week of a random timetable: the same play log, date, second and text, with starts run
// ahead as without.
TEST(EarlyStart, AWeekOfARandomTimetableLogsTheSame) {
    const LocalDateTime monday = makeDateTime(2024, 5, 6, 0, 0, 0);
    QStringList logs[2];
    int aheadCount = 0;
    for (const bool clockStarts : {false, true}) {
        EngineHarness h;
        h.backend.script.clockStarts = clockStarts;
        h.backend.script.durationsMs = {{QStringLiteral("铃声.wav"), 8000},
                                        {QStringLiteral("0.wav"), 40'000},
                                        {QStringLiteral("1.wav"), 50'000},
                                        {QStringLiteral("2.wav"), 60'000}};
        RandomTimetable week =
            randomTimetable(20240506, monday, 12, 8, h.folder.file(QStringLiteral("music")));
        for (int i = 0; i < week.table.size(); ++i) {
            h.table.append(week.table.at(i));
        }
        h.calendar = week.calendar;
        h.start(monday);
        // Ticks every 50 ms from a few seconds before a start and while anything plays, once
        // a second otherwise, which keeps the week short.
        std::set<int> starts;
        for (int i = 0; i < h.table.size(); ++i) {
            const Programme& p = h.table.at(i);
            for (int k = 0; k < p.startCount; ++k) {
                starts.insert(secondsOfDay(p.startTimes[k]));
            }
        }
        const qint64 end = dateTimeTicks(addSeconds(monday, 7 * kSecondsPerDay));
        while (h.clock.ticks() < end) {
            const LocalDateTime now = h.clock.now();
            const int second = secondsOfDay(ClockTime{now.hour, now.minute, now.second});
            const auto next = starts.lower_bound(second);
            if (!h.runs.isEmpty() || (next != starts.end() && *next - second <= 5)) {
                h.tick();
            } else {
                h.dispatcher.dispatchTick();
                h.clock.advanceMs(1000);
            }
        }
        logs[clockStarts ? 1 : 0] = datedLines(h.log);
        aheadCount = static_cast<int>(heardAhead(h.backend).size());
    }
    EXPECT_GT(logs[0].size(), 50);
    EXPECT_GT(aheadCount, 20);
    EXPECT_EQ(logs[1], logs[0]);
}
