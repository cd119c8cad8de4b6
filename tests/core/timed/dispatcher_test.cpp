#include <gtest/gtest.h>

#include "helpers/engine_harness.h"

TEST(Dispatcher, OnTimeProgrammePreemptsWithAShortFadeAndStartsNextTick) {
    EngineHarness h;
    h.addProgramme(QStringLiteral("早操"), h.musicFile(QStringLiteral("a.mp3")), {{8, 0, 0}});
    h.addProgramme(QStringLiteral("铃声"), h.musicFile(QStringLiteral("b.mp3")), {{8, 0, 3}});
    h.start(at(7, 59, 59));
    h.runUntil(at(8, 0, 10));
    EXPECT_EQ(
        h.log.lines(),
        (QStringList{
            QStringLiteral("08:00:00 早操 ◆ 开始播放"),
            QStringLiteral(
                "08:00:03 早操 ◆ 终止播放... ◆ 别的节目要播: 铃声 ◆ 参看:节目属性→准时播/可延迟"),
            QStringLiteral("08:00:03 铃声 ◆ 开始播放")}));
    ASSERT_EQ(h.backend.players.size(), 2u);
    const PlayerRecord& first = *h.backend.players[0];
    EXPECT_TRUE(first.closed);
    // Fade-in (20 steps, after the silent start), then 50 steps down to silence.
    ASSERT_EQ(first.volumes.size(), 1u + 20u + 50u);
    EXPECT_EQ(first.volumes.back(), -10000);
    // The new programme starts on the tick after the 0.6 s fade: 49 pauses of 12 ms.
    const qint64 started = h.backend.players[1]->runStartTicks;
    const qint64 ended = dateTimeTicks(at(8, 0, 3));
    EXPECT_GE(started - ended, 588 * 10'000);
    EXPECT_LE(started - ended, (588 + 200) * 10'000);
    ASSERT_EQ(h.rows.rows().size(), 1u);
    EXPECT_EQ(h.rows.rows()[0].name, QStringLiteral("铃声"));
}

TEST(Dispatcher, MayDelayProgrammeQueuesAndStartsInTheTickTheHeadEnds) {
    EngineHarness h;
    h.addProgramme(QStringLiteral("music"), h.musicFile(QStringLiteral("a.mp3"), 60'000),
                   {{8, 0, 0}});
    h.addProgramme(QStringLiteral("notice"), h.musicFile(QStringLiteral("b.mp3"), 5'000),
                   {{8, 0, 10}}, true, 1, true);
    h.addProgramme(QStringLiteral("later"), h.musicFile(QStringLiteral("c.mp3"), 5'000),
                   {{9, 0, 0}}, true, 1, true);
    h.start(at(7, 59, 59));
    h.runUntil(at(8, 0, 11));
    ASSERT_EQ(h.rows.rows().size(), 2u);
    EXPECT_EQ(h.rows.rows()[1].progress, QStringLiteral("排队等候"));
    h.runUntil(at(8, 1, 10));
    h.runUntil(at(9, 0, 10));
    EXPECT_EQ(h.log.lines(),
              (QStringList{
                  QStringLiteral("08:00:00 music ◆ 开始播放"),
                  QStringLiteral(
                      "08:00:10 notice ◆ 排队等候 ◆ 等正在播的播完 ◆ 参看:节目属性→准时播/可延迟"),
                  QStringLiteral("08:01:00 music ◆ 播放结束"),
                  QStringLiteral("08:01:00 notice ◆ 开始播放"),
                  QStringLiteral("08:01:05 notice ◆ 播放结束"),
                  QStringLiteral("09:00:00 later ◆ 开始播放"),
                  QStringLiteral("09:00:05 later ◆ 播放结束")}));
}

TEST(Dispatcher, SameTickTieBreaks) {
    {
        SCOPED_TRACE("two on-time programmes: the later one plays, the earlier is never heard");
        EngineHarness h;
        h.addProgramme(QStringLiteral("A"), h.musicFile(QStringLiteral("a.mp3")), {{8, 0, 0}});
        h.addProgramme(QStringLiteral("B"), h.musicFile(QStringLiteral("b.mp3")), {{8, 0, 0}});
        h.start(at(8, 0, 0));
        h.runForSeconds(1);
        EXPECT_EQ(h.log.texts(),
                  (QStringList{QStringLiteral(
                                   "A ◆ 终止播放 ◆ 别的节目要播: B ◆ 参看:节目属性→准时播/可延迟"),
                               QStringLiteral("B ◆ 开始播放")}));
        EXPECT_EQ(h.backend.players.size(), 1u);
    }
    {
        SCOPED_TRACE("on time, then may delay: both queue, on time first");
        EngineHarness h;
        h.addProgramme(QStringLiteral("A"), h.musicFile(QStringLiteral("a.mp3"), 2000),
                       {{8, 0, 0}});
        h.addProgramme(QStringLiteral("B"), h.musicFile(QStringLiteral("b.mp3"), 2000), {{8, 0, 0}},
                       true, 1, true);
        h.start(at(8, 0, 0));
        h.runForSeconds(5);
        EXPECT_EQ(h.log.texts(),
                  (QStringList{
                      QStringLiteral("B ◆ 排队等候 ◆ 等正在播的播完 ◆ 参看:节目属性→准时播/可延迟"),
                      QStringLiteral("A ◆ 开始播放"), QStringLiteral("A ◆ 播放结束"),
                      QStringLiteral("B ◆ 开始播放"), QStringLiteral("B ◆ 播放结束")}));
    }
    {
        SCOPED_TRACE("may delay, then on time: only the on-time one plays");
        EngineHarness h;
        h.addProgramme(QStringLiteral("A"), h.musicFile(QStringLiteral("a.mp3"), 2000), {{8, 0, 0}},
                       true, 1, true);
        h.addProgramme(QStringLiteral("B"), h.musicFile(QStringLiteral("b.mp3"), 2000),
                       {{8, 0, 0}});
        h.start(at(8, 0, 0));
        h.runForSeconds(5);
        EXPECT_EQ(h.log.texts(),
                  (QStringList{QStringLiteral(
                                   "A ◆ 终止播放 ◆ 别的节目要播: B ◆ 参看:节目属性→准时播/可延迟"),
                               QStringLiteral("B ◆ 开始播放"), QStringLiteral("B ◆ 播放结束")}));
    }
    {
        SCOPED_TRACE("a programme whose run still plays at its next start");
        EngineHarness h;
        h.addProgramme(QStringLiteral("A"), h.musicFile(QStringLiteral("a.mp3"), 60'000),
                       {{8, 0, 0}, {8, 0, 30}});
        h.start(at(8, 0, 0));
        h.runUntil(at(8, 0, 31));
        EXPECT_EQ(
            h.log.texts(),
            (QStringList{
                QStringLiteral("A ◆ 开始播放"),
                QStringLiteral("A ◆ 终止播放... ◆ 别的节目要播: A ◆ 参看:节目属性→准时播/可延迟"),
                QStringLiteral("A ◆ 开始播放")}));
    }
}

TEST(Dispatcher, ManualPlayPreemptsEverythingAndIgnoresTheTimetable) {
    EngineHarness h;
    h.addProgramme(QStringLiteral("playing"), h.musicFile(QStringLiteral("a.mp3"), 60'000),
                   {{8, 0, 0}});
    h.addProgramme(QStringLiteral("waiting"), h.musicFile(QStringLiteral("b.mp3")), {{8, 0, 1}},
                   true, 1, true);
    Programme& special = h.addProgramme(QStringLiteral("special"),
                                        h.musicFile(QStringLiteral("c.mp3"), 1'000), {{23, 0, 0}});
    special.disabled = 1;
    special.dateRange = DateHourRange{2020, 1, 1, 0, 2020, 12, 31, 24};
    special.weekdays[0] = 0;  // not on Mondays
    Holiday today = blankHoliday();
    today.range = DateHourRange{2024, 5, 6, 8, 2024, 5, 6, 9};
    h.start(at(8, 0, 0));
    h.runUntil(at(8, 0, 5));
    h.calendar.holidays.push_back(today);
    const LocalDateTime lastBefore = special.lastStartTime;
    h.dispatcher.manualPlay(2, 2);
    h.runUntil(at(8, 0, 10));
    EXPECT_EQ(h.log.texts(),
              (QStringList{QStringLiteral("playing ◆ 开始播放"),
                           QStringLiteral(
                               "waiting ◆ 排队等候 ◆ 等正在播的播完 ◆ 参看:节目属性→准时播/可延迟"),
                           QStringLiteral("playing ◆ 终止播放... ◆ 别的节目要播: special(手动)"),
                           QStringLiteral("waiting ◆ 终止播放 ◆ 别的节目要播: special(手动)"),
                           QStringLiteral("special(手动) ◆ 开始播放"),
                           QStringLiteral("special(手动) ◆ 播放结束")}));
    EXPECT_EQ(
        h.rows.progressHistory.filter(QStringLiteral("遍")),
        (QStringList{QStringLiteral("1/1遍"), QStringLiteral("1/2遍"), QStringLiteral("2/2遍")}));
    EXPECT_EQ(special.lastStartTime, lastBefore);
}

TEST(Dispatcher, StopByHandFadesAndTheNextWaitingRunStartsNextTick) {
    EngineHarness h;
    h.addProgramme(QStringLiteral("A"), h.musicFile(QStringLiteral("a.mp3")), {{8, 0, 0}});
    h.addProgramme(QStringLiteral("B"), h.musicFile(QStringLiteral("b.mp3")), {{8, 0, 1}}, true, 1,
                   true);
    h.start(at(8, 0, 0));
    h.runUntil(at(8, 0, 2));
    h.dispatcher.stopRows({0});
    EXPECT_EQ(h.log.texts().last(), QStringLiteral("A ◆ 终止播放... ◆ 用户终止播放"));
    const PlayerRecord& a = *h.backend.players[0];
    EXPECT_TRUE(a.closed);
    ASSERT_EQ(h.rows.rows().size(), 1u);
    EXPECT_EQ(h.backend.players.size(), 1u);
    h.tick();
    EXPECT_EQ(h.log.texts().last(), QStringLiteral("B ◆ 开始播放"));
}

TEST(Dispatcher, StatusColumnIsWrittenOnlyWhenItChanges) {
    EngineHarness h;
    Programme& p =
        h.addProgramme(QStringLiteral("term"), h.musicFile(QStringLiteral("a.mp3")), {{7, 0, 0}});
    p.dateRange = DateHourRange{2024, 1, 1, 0, 2024, 5, 6, 18};
    Programme& off =
        h.addProgramme(QStringLiteral("off"), h.musicFile(QStringLiteral("b.mp3")), {{7, 0, 0}});
    off.disabled = 1;
    h.start(at(17, 59, 0));
    h.runUntil(at(18, 2, 0));
    EXPECT_EQ(h.rows.statuses()[0], QStringLiteral("已过有效期"));
    // Filled as 启用 at the start; only the change to 已过有效期 is announced, and nothing
    // for the disabled row.
    EXPECT_EQ(h.rows.statusWrites, 1);
    EXPECT_EQ(h.rows.statuses()[1], QStringLiteral("停用"));
}
