#include <gtest/gtest.h>
#include <QAbstractItemModelTester>
#include <QProcess>
#include <random>

#include "core/holidays/holiday_file.h"
#include "core/support/date_text.h"
#include "core/timed/programme_file.h"
#include "core/timed/run_watch.h"
#include "core/timed/today_model.h"
#include "helpers/engine_harness.h"
#include "helpers/holiday_builders.h"
#include "helpers/program_runner.h"
#include "helpers/programme_builders.h"

namespace {

// A timetable of the kind schools make, at random: bells, music counted in seconds, by
// weekday or by day of the month, some disabled, some with a date range ending today.
ProgrammeTable randomTimetable(std::mt19937& random, const LocalDateTime& today) {
    ProgrammeTable table;
    const auto pick = [&](int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(random);
    };
    const int count = pick(8, 16);
    for (int i = 0; i < count; ++i) {
        Programme p =
            makeProgramme(QStringLiteral("节目%1").arg(i), {}, pick(0, 3) != 0, pick(1, 3));
        if (p.countByTracks == 0) {
            p.secondsCount = pick(5, 2400);
        }
        const int starts = pick(1, 8);
        for (int k = 0; k < starts; ++k) {
            p.startTimes[p.startCount++] = {pick(0, 23), pick(0, 59), pick(0, 59)};
        }
        if (pick(0, 2) == 0) {
            p.byWeekday = 0;
            for (int d = 0; d < 31; ++d) {
                p.monthDays[d] = pick(0, 1);
            }
        } else {
            for (int d = 0; d < 7; ++d) {
                p.weekdays[d] = pick(0, 3) != 0 ? 1 : 0;
            }
        }
        p.disabled = pick(0, 7) == 0 ? 1 : 0;
        if (pick(0, 4) == 0) {
            p.dateRange = {2000, 1, 1, 0, today.year, today.month, today.day, pick(1, 23)};
        }
        table.append(p);
    }
    return table;
}

QString line(const LocalDateTime& moment, const LocalDateTime& start, const QString& name) {
    return formatTimestamp(moment) + u'\t' +
           formatClockTime({start.hour, start.minute, start.second}) + u'\t' + name;
}

QStringList stateColumn(const TodayModel& model) {
    QStringList states;
    for (int row = 0; row < model.rowCount(); ++row) {
        states.append(model.index(row, TodayModel::Name).data().toString() + u' ' +
                      model.index(row, TodayModel::State).data().toString());
    }
    return states;
}

}  // namespace

TEST(TodayModel, ListsExactlyWhatThePreviewCommandPrintsForToday) {
    // Saturday 2024-05-04 works as Monday 2024-05-06 (adjusted day); a holiday covers the
    // early afternoon.
    const LocalDateTime today = makeDateTime(2024, 5, 4, 6, 30, 0);
    for (unsigned seed : {11u, 23u, 2024u}) {
        SCOPED_TRACE(seed);
        std::mt19937 random(seed);
        ProgrammeTable table = randomTimetable(random, today);
        HolidayCalendar calendar;
        Holiday afternoon = blankHoliday();
        afternoon.range = {2024, 5, 4, 12, 2024, 5, 4, 14};
        calendar.holidays.push_back(afternoon);
        AdjustedDay works = blankAdjustedDay();
        works.dateA = {2024, 5, 4};
        works.dateB = {2024, 5, 6};
        calendar.adjustedDays.push_back(works);

        ProgramRunner program;
        QString message;
        ASSERT_TRUE(saveProgrammes(program.dataFolder(), table, true, message));
        ASSERT_TRUE(saveHolidayCalendar(program.dataFolder(), calendar, true, message));
        QProcess preview;
        preview.setProcessEnvironment(program.environment());
        preview.start(
            QStringLiteral(KB_PROGRAM_PATH),
            {QStringLiteral("--preview"), QStringLiteral("2024-05-04"), QStringLiteral("1")});
        ASSERT_TRUE(preview.waitForFinished(30000));
        const QStringList printed =
            QString::fromUtf8(preview.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);

        SimulatedClock clock;
        clock.set(today);
        NowPlayingModel runs;
        RunWatch watch(runs);
        TodayModel model(table, calendar, clock, watch);
        QAbstractItemModelTester tester(&model,
                                        QAbstractItemModelTester::FailureReportingMode::Fatal);
        QStringList listed;
        for (const TodayModel::Entry& e : model.entries()) {
            listed.append(line(e.moment, e.start, e.name));
        }
        EXPECT_GT(printed.size(), 5);
        EXPECT_EQ(listed, printed);
        // In time order, and what the view shows is what was compared.
        for (int row = 0; row < model.rowCount(); ++row) {
            EXPECT_EQ(model.index(row, TodayModel::Start).data().toString(),
                      printed[row].section(u'\t', 1, 1));
        }
    }
}

TEST(TodayModel, FollowsTimetableChangesAndKeepsWhatHappened) {
    EngineHarness h;
    h.addProgramme(QStringLiteral("早操"), h.musicFile(QStringLiteral("a.mp3"), 10'000),
                   {{8, 0, 0}});
    h.start(at(7, 59, 50));
    RunWatch watch(h.runs.nowPlaying());
    h.log.listener = [&](const LocalDateTime& t, const QString& text) {
        watch.noteReport(t, text);
    };
    TodayModel model(h.table, h.calendar, h.clock, watch);
    EXPECT_EQ(model.rowCount(), 1);
    h.runUntil(at(8, 0, 30));
    model.update();
    EXPECT_EQ(stateColumn(model), QStringList{QStringLiteral("早操 已播")});

    // A second start added later in the day comes in; the first keeps its state.
    h.table[0].startTimes[h.table[0].startCount++] = {9, 0, 0};
    model.rebuild();
    EXPECT_EQ(stateColumn(model),
              (QStringList{QStringLiteral("早操 已播"), QStringLiteral("早操 待播")}));
    EXPECT_EQ(model.nextStartText(), QStringLiteral("下一个: 09:00:00 早操"));

    // A holiday over the rest of the day takes the later start away; the start that played
    // stays.
    Holiday rest = blankHoliday();
    rest.range = {2024, 5, 6, 8, 2024, 5, 6, 24};
    h.calendar.holidays.push_back(rest);
    model.rebuild();
    EXPECT_EQ(stateColumn(model), QStringList{QStringLiteral("早操 已播")});
    EXPECT_EQ(model.nextStartText(), QString());
}

TEST(TodayModel, StatesChangeAsRunsStartFailAndEndOnTheSimulatedClock) {
    EngineHarness h;
    h.addProgramme(QStringLiteral("升旗"), h.musicFile(QStringLiteral("flag.mp3"), 60'000),
                   {{7, 0, 0}});
    h.addProgramme(QStringLiteral("早操"), h.musicFile(QStringLiteral("drill.mp3"), 60'000),
                   {{8, 0, 0}});
    h.addProgramme(QStringLiteral("眼保健操"), h.musicFile(QStringLiteral("eyes.mp3"), 30'000),
                   {{8, 0, 30}}, true, 1, true);
    h.addProgramme(QStringLiteral("坏文件"), h.musicFile(QStringLiteral("bad.mp3")), {{9, 0, 0}});
    h.backend.script.failingOpens[QStringLiteral("bad.mp3")] = static_cast<qint32>(0x80040265);
    h.addProgramme(QStringLiteral("午休"), h.musicFile(QStringLiteral("rest.mp3"), 600'000),
                   {{12, 0, 0}});
    h.addProgramme(QStringLiteral("放学"), h.musicFile(QStringLiteral("home.mp3"), 600'000),
                   {{16, 0, 0}});
    h.start(at(7, 30, 0));
    RunWatch watch(h.runs.nowPlaying());
    h.log.listener = [&](const LocalDateTime& t, const QString& text) {
        watch.noteReport(t, text);
    };
    TodayModel model(h.table, h.calendar, h.clock, watch);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    QStringList nextTexts;
    QObject::connect(&model, &TodayModel::nextStartChanged,
                     [&](const QString& text) { nextTexts.append(text); });
    model.update();
    EXPECT_EQ(stateColumn(model),
              (QStringList{QStringLiteral("升旗 未播"), QStringLiteral("早操 待播"),
                           QStringLiteral("眼保健操 待播"), QStringLiteral("坏文件 待播"),
                           QStringLiteral("午休 待播"), QStringLiteral("放学 待播")}));
    EXPECT_EQ(model.index(0, TodayModel::Reason).data().toString(), QStringLiteral("软件未运行"));
    EXPECT_EQ(model.nextStartText(), QStringLiteral("下一个: 08:00:00 早操"));

    h.runUntil(at(8, 0, 1));
    model.update();
    EXPECT_EQ(stateColumn(model).mid(1, 2),
              (QStringList{QStringLiteral("早操 正在播"), QStringLiteral("眼保健操 待播")}));
    h.runUntil(at(8, 0, 32));
    model.update();
    EXPECT_EQ(stateColumn(model).mid(1, 2),
              (QStringList{QStringLiteral("早操 正在播"), QStringLiteral("眼保健操 排队等候")}));
    h.runUntil(at(8, 1, 2));
    model.update();
    EXPECT_EQ(stateColumn(model).mid(1, 2),
              (QStringList{QStringLiteral("早操 已播"), QStringLiteral("眼保健操 正在播")}));
    h.runUntil(at(8, 2, 0));
    EXPECT_EQ(stateColumn(model)[2], QStringLiteral("眼保健操 已播"));

    h.runUntil(at(9, 0, 2));
    EXPECT_EQ(stateColumn(model)[3], QStringLiteral("坏文件 失败"));
    EXPECT_TRUE(model.index(3, TodayModel::Reason)
                    .data()
                    .toString()
                    .startsWith(QStringLiteral("播放失败 ◆ ")));
    EXPECT_EQ(model.index(3, TodayModel::Name).data(Qt::ForegroundRole).toString(),
              QStringLiteral("darkred"));

    // The output goes away while the midday music plays.
    h.runUntil(at(12, 0, 5));
    EXPECT_EQ(stateColumn(model)[4], QStringLiteral("午休 正在播"));
    h.backend.players.back()->emitEvent({kEventDeviceLost, 0, 0, QString()});
    EXPECT_EQ(stateColumn(model)[4], QStringLiteral("午休 失败"));
    EXPECT_TRUE(model.index(4, TodayModel::Reason)
                    .data()
                    .toString()
                    .contains(QStringLiteral("音频设备失效")));

    // Stopped by the user.
    h.runUntil(at(16, 0, 5));
    h.dispatcher.stopRows({0});
    EXPECT_EQ(stateColumn(model)[5], QStringLiteral("放学 已终止"));
    EXPECT_EQ(model.index(5, TodayModel::Reason).data().toString(),
              QStringLiteral("终止播放... ◆ 用户终止播放"));
    model.update();
    EXPECT_EQ(model.nextStartText(), QString());
    EXPECT_EQ(nextTexts.last(), QString());
    EXPECT_TRUE(nextTexts.contains(QStringLiteral("下一个: 12:00:00 午休")));

    // The next day begins afresh.
    h.runUntil(makeDateTime(2024, 5, 7, 0, 0, 1));
    model.update();
    EXPECT_EQ(stateColumn(model).first(), QStringLiteral("升旗 待播"));
}

TEST(TodayModel, ProblemsOfTheCheckShowOnStartsStillToCome) {
    EngineHarness h;
    h.addProgramme(QStringLiteral("早操"), h.musicFile(QStringLiteral("a.mp3")),
                   {{8, 0, 0}, {9, 0, 0}});
    h.start(at(8, 30, 0));
    RunWatch watch(h.runs.nowPlaying());
    TodayModel model(h.table, h.calendar, h.clock, watch);
    model.setProblems({{at(9, 0, 0), QStringLiteral("早操"), QStringLiteral("音乐文件不存在")}});
    EXPECT_EQ(stateColumn(model),
              (QStringList{QStringLiteral("早操 未播"), QStringLiteral("早操 待播 (有问题)")}));
    EXPECT_EQ(model.index(1, TodayModel::Reason).data().toString(),
              QStringLiteral("音乐文件不存在"));
    model.setProblems({{at(9, 0, 0), QString(), QStringLiteral("音频设备无效")}});
    EXPECT_EQ(model.index(1, TodayModel::Reason).data().toString(), QStringLiteral("音频设备无效"));
    model.setProblems({});
    EXPECT_EQ(stateColumn(model)[1], QStringLiteral("早操 待播"));
}

TEST(TodayModel, TheDaySaysWhyOnAHolidayOrAnAdjustedDay) {
    struct Case {
        const char* what;
        std::vector<Holiday> holidays;
        std::vector<AdjustedDay> adjusted;
        QString note;
    };
    // 2026-05-02 is a Saturday.
    const Case cases[] = {
        {"an ordinary day", {}, {}, QString()},
        {"a holiday",
         {makeHoliday(QStringLiteral("劳动节"), {2026, 5, 1, 0, 2026, 5, 5, 24})},
         {},
         QStringLiteral("今天是节假日: 劳动节, 不播放")},
        {"a disabled holiday",
         {makeHoliday(QStringLiteral("劳动节"), {2026, 5, 1, 0, 2026, 5, 5, 24}, true)},
         {},
         QString()},
        {"an afternoon off",
         {makeHoliday(QStringLiteral("运动会"), {2026, 5, 2, 12, 2026, 5, 2, 18})},
         {},
         QStringLiteral("今天 12 点到 18 点是节假日: 运动会, 不播放")},
        {"an adjusted day",
         {},
         {makeAdjustedDay({2026, 5, 2}, {2026, 4, 30})},
         QStringLiteral("今天调休, 按 2026-04-30 (周4) 的节目播放")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ProgrammeTable table;
        HolidayCalendar calendar;
        calendar.holidays = c.holidays;
        calendar.adjustedDays = c.adjusted;
        SimulatedClock clock;
        clock.set(makeDateTime(2026, 5, 2, 7, 0));
        NowPlayingModel runs;
        RunWatch watch(runs);
        TodayModel model(table, calendar, clock, watch);
        EXPECT_EQ(model.dayNote(), c.note);
    }
}
