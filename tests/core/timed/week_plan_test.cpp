#include <gtest/gtest.h>
#include <QDir>
#include <QSignalSpy>

#include "core/support/date_text.h"
#include "core/timed/track_lengths.h"
#include "core/timed/week_plan.h"
#include "helpers/holiday_builders.h"
#include "helpers/programme_builders.h"
#include "helpers/temp_folder.h"

namespace {

QStringList startsOf(const WeekPlan& plan, int day) {
    QStringList starts;
    for (const WeekBlock& b : plan.days[static_cast<size_t>(day)].blocks) {
        starts.append(
            formatClockTime({b.startSecond / 3600, b.startSecond / 60 % 60, b.startSecond % 60}) +
            u' ' + plan.programmes[static_cast<size_t>(b.programme)].name);
    }
    return starts;
}

}  // namespace

TEST(WeekPlan, HolidaysGreyTheirHoursAndAnAdjustedDayPlaysAnotherDaysTimetable) {
    ProgrammeTable table;
    Programme bell = makeProgramme(QStringLiteral("上课铃"), {{8, 0, 0}, {14, 0, 0}});
    bell.weekdays[5] = 0;
    bell.weekdays[6] = 0;
    table.append(bell);
    HolidayCalendar calendar;
    // Wednesday 12:00 to Thursday hour 12, which lasts through 12:00:59.
    calendar.holidays.push_back(
        makeHoliday(QStringLiteral("劳动节"), DateHourRange{2024, 5, 15, 12, 2024, 5, 16, 12}));
    calendar.holidays.push_back(makeHoliday(QStringLiteral("停用的"),
                                            DateHourRange{2024, 5, 13, 0, 2024, 5, 19, 24}, true));
    calendar.adjustedDays.push_back(makeAdjustedDay({2024, 5, 18}, {2024, 5, 13}));

    // Any day of the week, Sunday included, gives the week from Monday.
    for (const LocalDateTime day : {makeDateTime(2024, 5, 13), makeDateTime(2024, 5, 19, 23)}) {
        const WeekPlan plan = planWeek(table, calendar, day);
        EXPECT_EQ(weekRangeText(plan), QStringLiteral("2024-05-13 (周一) ~ 2024-05-19 (周日)"));
        const QStringList both = {QStringLiteral("08:00:00 上课铃"),
                                  QStringLiteral("14:00:00 上课铃")};
        const QStringList morning = {QStringLiteral("08:00:00 上课铃")};
        const QStringList afternoon = {QStringLiteral("14:00:00 上课铃")};
        const std::vector<QStringList> expected = {both, both, morning, afternoon, both, both, {}};
        for (int d = 0; d < 7; ++d) {
            EXPECT_EQ(startsOf(plan, d), expected[static_cast<size_t>(d)]) << d;
        }
        ASSERT_EQ(plan.days[2].holidays.size(), 1u);
        EXPECT_EQ(plan.days[2].holidays[0].name, QStringLiteral("劳动节"));
        EXPECT_EQ(plan.days[2].holidays[0].fromSecond, 12 * 3600);
        EXPECT_EQ(plan.days[2].holidays[0].toSecond, kSecondsPerDay);
        ASSERT_EQ(plan.days[3].holidays.size(), 1u);
        EXPECT_EQ(plan.days[3].holidays[0].fromSecond, 0);
        EXPECT_EQ(plan.days[3].holidays[0].toSecond, 12 * 3600 + 60);
        EXPECT_TRUE(plan.days[4].holidays.empty());
        EXPECT_EQ(adjustedDayText(plan.days[5]), QStringLiteral("按 周一"));
        EXPECT_EQ(adjustedDayText(plan.days[6]), QString());
    }
}

TEST(WeekPlan, BlocksLastAsLongAsTheRunIsExpectedTo) {
    struct Case {
        const char* what;
        bool folder;
        bool byTracks;
        int count;
        qint64 trackMs;
        qint64 seconds;
        bool estimated;
    };
    const Case cases[] = {
        {"seconds", false, false, 600, -1, 600, false},
        {"passes of a file", false, true, 3, 8500, 26, false},
        {"tracks of a folder", true, true, 2, 40000, 80, true},
        {"file not known", false, true, 2, -1, 120, true},
        {"folder not known", true, true, 2, -1, 360, true},
    };
    for (const Case& c : cases) {
        ProgrammeTable table;
        Programme p =
            makeProgramme(QStringLiteral("p"), {{9, 30, 0}, {23, 59, 50}}, c.byTracks, c.count);
        p.singleFile = c.folder ? 0 : 1;
        table.append(p);
        WeekPlan plan = planWeek(table, HolidayCalendar(), makeDateTime(2024, 5, 13));
        applyLengths(plan, [&](const QString&, bool folder) {
            EXPECT_EQ(folder, c.folder) << c.what;
            return c.trackMs;
        });
        EXPECT_EQ(plan.programmes[0].seconds, c.seconds) << c.what;
        EXPECT_EQ(plan.programmes[0].estimated, c.estimated) << c.what;
        const WeekBlock& first = plan.days[0].blocks.at(0);
        EXPECT_EQ(first.endSecond, 9 * 3600 + 1800 + c.seconds) << c.what;
        // A run is not drawn past midnight; the axis spans whole hours of the week's runs.
        EXPECT_EQ(plan.days[0].blocks.at(1).endSecond, kSecondsPerDay) << c.what;
        EXPECT_EQ(plan.axisFrom, 9 * 3600);
        EXPECT_EQ(plan.axisTo, kSecondsPerDay);
    }
    // A week without starts still shows a school day.
    const WeekPlan empty = planWeek(ProgrammeTable(), HolidayCalendar(), makeDateTime(2024, 5, 13));
    EXPECT_EQ(empty.startCount(), 0u);
    EXPECT_LT(empty.axisFrom, empty.axisTo);
}

TEST(WeekPlan, OverlappingBlocksStandSideBySideInAsManyLanesAsAllowed) {
    // Due at 08:00 for 10 minutes, 08:05, 08:06 and 08:20 for a minute; labels need 5 minutes.
    WeekPlan plan;
    plan.programmes.resize(1);
    plan.days[0].blocks = {{0, 28800, 28800, 29400},
                           {0, 29100, 29100, 29160},
                           {0, 29160, 29160, 29220},
                           {0, 30000, 30000, 30060}};
    // The last block overlaps none: it has the whole width.
    struct Case {
        int maxLanes;
        std::vector<quint8> lanes;
        std::vector<quint8> across;
        int used;
    };
    for (const Case& c :
         {Case{4, {0, 1, 2, 0}, {3, 3, 3, 1}, 3}, Case{2, {0, 1, 0, 0}, {2, 2, 2, 1}, 2},
          Case{1, {0, 0, 0, 0}, {1, 1, 1, 1}, 1}}) {
        const WeekLanes lanes = layoutWeek(plan, 300, c.maxLanes);
        EXPECT_EQ(lanes.lane[0], c.lanes) << c.maxLanes;
        EXPECT_EQ(lanes.across[0], c.across) << c.maxLanes;
        EXPECT_EQ(lanes.count[0], c.used);
        EXPECT_EQ(lanes.longest[0], 600);
        EXPECT_EQ(lanes.count[1], 1);
    }
}

TEST(TrackLengths, AFolderTakesTheMeanOfItsFirstTracksAndEveryPathIsProbedOnce) {
    TempFolder folder;
    QDir().mkpath(folder.file(QStringLiteral("songs")));
    // By name: a, b, c are sampled; d is not; the text file is no music.
    const std::map<QString, qint64> lengths = {{QStringLiteral("a.mp3"), 30000},
                                               {QStringLiteral("b.mp3"), -1},
                                               {QStringLiteral("c.wav"), 50000},
                                               {QStringLiteral("d.wav"), 999000}};
    for (const auto& [name, ms] : lengths) {
        writeBytes(folder.file(QStringLiteral("songs/") + name), "x");
    }
    writeBytes(folder.file(QStringLiteral("songs/0.txt")), "x");
    writeBytes(folder.file(QStringLiteral("bell.mp3")), "x");
    std::atomic<int> probes{0};
    TrackLengths tracks([&](const QString& file) {
        ++probes;
        const QString name = QFileInfo(file).fileName();
        return name == QStringLiteral("bell.mp3") ? qint64{8000} : lengths.at(name);
    });
    const QString songs = folder.file(QStringLiteral("songs"));
    const QString bell = folder.file(QStringLiteral("bell.mp3"));
    const QString missing = folder.file(QStringLiteral("none"));
    EXPECT_EQ(tracks.lengthMs(songs, true), -1);  // not known yet
    EXPECT_EQ(tracks.lengthMs(bell, false), -1);
    EXPECT_EQ(tracks.lengthMs(missing, true), -1);
    EXPECT_EQ(tracks.pending(), 3);
    QSignalSpy found(&tracks, &TrackLengths::found);
    tracks.waitForAll();
    EXPECT_EQ(found.count(), 3);
    EXPECT_EQ(tracks.pending(), 0);
    EXPECT_EQ(tracks.lengthMs(songs, true), 40000);
    EXPECT_EQ(tracks.lengthMs(bell, false), 8000);
    EXPECT_EQ(tracks.lengthMs(missing, true), -1);
    EXPECT_EQ(tracks.pending(), 0);
    EXPECT_EQ(probes.load(), 4);
}
