#include <gtest/gtest.h>

#include "core/playback/volume_scale.h"
#include "helpers/engine_harness.h"

namespace {

int running(const EngineHarness& h) {
    int count = 0;
    for (const auto& p : h.backend.players) {
        count += p->running && !p->closed ? 1 : 0;
    }
    return count;
}

}  // namespace

TEST(PreparedPlayer, TheStartRunsThePlayerOpenedSecondsAhead) {
    EngineHarness h;
    h.addProgramme(QStringLiteral("bell"), h.musicFile(QStringLiteral("bell.mp3"), 5'000),
                   {{8, 0, 10}});
    h.start(at(8, 0, 0));
    h.runUntil(at(8, 0, 6));
    EXPECT_TRUE(h.backend.players.empty()) << "not yet: the start is more than 3 s away";
    h.runUntil(at(8, 0, 8));
    ASSERT_EQ(h.backend.players.size(), 1u);
    const PlayerRecord& prepared = *h.backend.players[0];
    EXPECT_TRUE(prepared.path.endsWith(QStringLiteral("/bell.mp3")));
    EXPECT_FALSE(prepared.running);
    EXPECT_EQ(prepared.volumes, std::vector<int>{kSilentAttenuation}) << "opened silent";
    EXPECT_TRUE(h.log.texts().isEmpty());

    h.runUntil(at(8, 0, 11));
    ASSERT_EQ(h.backend.players.size(), 1u) << "the start opened no second player";
    EXPECT_TRUE(prepared.running);
    // Run on the tick after the start second, as ever.
    EXPECT_EQ(prepared.runStartTicks, dateTimeTicks(at(8, 0, 10, 50)));
    EXPECT_EQ(prepared.volumes.size(), 1u + 20u) << "silent, then the fade-in";
    EXPECT_EQ(prepared.volumes.back(), volumeToAttenuation(80));
    EXPECT_EQ(h.log.lines(), QStringList{QStringLiteral("08:00:10 bell ◆ 开始播放")});
    h.runUntil(at(8, 0, 20));
    EXPECT_EQ(h.log.texts().last(), QStringLiteral("bell ◆ 播放结束"));
    EXPECT_TRUE(prepared.closed);
}

TEST(PreparedPlayer, IsFreedWhenItsStartDoesNotCome) {
    {
        SCOPED_TRACE("a holiday begins before the start");
        EngineHarness h;
        h.addProgramme(QStringLiteral("bell"), h.musicFile(QStringLiteral("bell.mp3")),
                       {{8, 1, 0}});
        h.start(at(8, 0, 58));
        h.tick();
        ASSERT_EQ(h.backend.players.size(), 1u);
        Holiday rest = blankHoliday();
        rest.range = DateHourRange{2024, 5, 6, 8, 2024, 5, 6, 9};
        h.calendar.holidays.push_back(rest);
        h.runUntil(at(8, 1, 30));
        EXPECT_TRUE(h.backend.players[0]->closed);
        EXPECT_EQ(h.backend.players[0]->live, nullptr);
        EXPECT_FALSE(h.backend.players[0]->running);
        EXPECT_TRUE(h.log.texts().isEmpty());
        EXPECT_EQ(h.backend.players.size(), 1u);
    }
    {
        SCOPED_TRACE("the programme is changed to another file");
        EngineHarness h;
        h.addProgramme(QStringLiteral("bell"), h.musicFile(QStringLiteral("old.mp3")), {{8, 1, 0}});
        h.start(at(8, 0, 58));
        h.tick();
        ASSERT_EQ(h.backend.players.size(), 1u);
        Programme edited = h.table.at(0);
        setProgrammePath(edited, h.musicFile(QStringLiteral("new.mp3")));
        QString message;
        ASSERT_EQ(h.programmeList.replace(0, edited, &h.runs, {}, message), EditResult::Replaced);
        h.runUntil(at(8, 1, 1));
        ASSERT_EQ(h.backend.players.size(), 2u);
        EXPECT_TRUE(h.backend.players[0]->closed);
        EXPECT_FALSE(h.backend.players[0]->running);
        EXPECT_TRUE(h.backend.players[1]->path.endsWith(QStringLiteral("/new.mp3")));
        EXPECT_TRUE(h.backend.players[1]->running);
        EXPECT_EQ(h.log.texts(), QStringList{QStringLiteral("bell ◆ 开始播放")});
    }
    {
        SCOPED_TRACE("the program ends first");
        EngineHarness h;
        h.addProgramme(QStringLiteral("bell"), h.musicFile(QStringLiteral("bell.mp3")),
                       {{8, 1, 0}});
        h.start(at(8, 0, 58));
        h.tick();
        ASSERT_EQ(h.backend.players.size(), 1u);
        h.runs.scaleAllRuns(0.0);
        EXPECT_TRUE(h.backend.players[0]->closed);
        EXPECT_EQ(h.backend.players[0]->live, nullptr);
    }
}

TEST(PreparedPlayer, NeverDoublesAStart) {
    {
        SCOPED_TRACE("two on-time programmes in one second: only the later one is opened");
        EngineHarness h;
        h.addProgramme(QStringLiteral("A"), h.musicFile(QStringLiteral("a.mp3")), {{8, 0, 10}});
        h.addProgramme(QStringLiteral("B"), h.musicFile(QStringLiteral("b.mp3")), {{8, 0, 10}});
        h.start(at(8, 0, 5));
        h.runUntil(at(8, 0, 12));
        ASSERT_EQ(h.backend.players.size(), 1u);
        EXPECT_TRUE(h.backend.players[0]->path.endsWith(QStringLiteral("/b.mp3")));
        EXPECT_EQ(running(h), 1);
        EXPECT_EQ(h.log.texts(),
                  (QStringList{QStringLiteral(
                                   "A ◆ 终止播放 ◆ 别的节目要播: B ◆ 参看:节目属性→准时播/可延迟"),
                               QStringLiteral("B ◆ 开始播放")}));
    }
    {
        SCOPED_TRACE("a programme that will wait behind the one playing is not opened early");
        EngineHarness h;
        h.addProgramme(QStringLiteral("music"), h.musicFile(QStringLiteral("m.mp3"), 60'000),
                       {{8, 0, 0}});
        h.addProgramme(QStringLiteral("notice"), h.musicFile(QStringLiteral("n.mp3"), 2'000),
                       {{8, 0, 20}}, true, 1, true);
        h.start(at(8, 0, 0));
        h.runUntil(at(8, 0, 30));
        EXPECT_EQ(h.backend.players.size(), 1u);
        h.runUntil(at(8, 1, 5));
        EXPECT_EQ(h.backend.players.size(), 2u);
        EXPECT_EQ(h.log.texts().filter(QStringLiteral("开始播放")).size(), 2);
    }
    {
        SCOPED_TRACE("the same programme again while its run plays: a new player for the new run");
        EngineHarness h;
        h.addProgramme(QStringLiteral("A"), h.musicFile(QStringLiteral("a.mp3"), 60'000),
                       {{8, 0, 0}, {8, 0, 10}});
        h.start(at(7, 59, 50));
        h.runUntil(at(8, 0, 11));
        ASSERT_EQ(h.backend.players.size(), 2u);
        EXPECT_TRUE(h.backend.players[0]->closed);
        EXPECT_TRUE(h.backend.players[1]->running);
        EXPECT_EQ(running(h), 1);
        EXPECT_EQ(h.log.texts().filter(QStringLiteral("开始播放")).size(), 2);
    }
}

TEST(PreparedPlayer, FailuresAreReportedByTheStartOnly) {
    {
        SCOPED_TRACE("a file that does not open: tried ahead once, reported once at the start");
        EngineHarness h;
        h.backend.script.failingOpens[QStringLiteral("bad.mp3")] = kErrorInvalidFileFormat;
        h.addProgramme(QStringLiteral("bad"), h.musicFile(QStringLiteral("bad.mp3")), {{8, 1, 0}});
        h.start(at(8, 0, 55));
        h.runUntil(at(8, 0, 59, 900));
        EXPECT_EQ(h.backend.players.size(), 1u) << "not tried again every tick";
        EXPECT_TRUE(h.log.texts().isEmpty());
        h.runUntil(at(8, 1, 2));
        EXPECT_EQ(h.backend.players.size(), 2u);
        ASSERT_EQ(h.log.texts().size(), 1);
        EXPECT_TRUE(h.log.texts()[0].startsWith(QStringLiteral("bad ◆ 播放失败 ◆ ")));
    }
    {
        SCOPED_TRACE("a prepared player that breaks while it waits is replaced at the start");
        EngineHarness h;
        h.addProgramme(QStringLiteral("bell"), h.musicFile(QStringLiteral("bell.mp3")),
                       {{8, 1, 0}});
        h.start(at(8, 0, 58));
        h.tick();
        ASSERT_EQ(h.backend.players.size(), 1u);
        h.backend.players[0]->emitEvent({kEventDeviceLost, 0, 0, QString()});
        EXPECT_EQ(h.backend.players[0]->live, nullptr);
        h.runUntil(at(8, 1, 1));
        ASSERT_EQ(h.backend.players.size(), 2u);
        EXPECT_TRUE(h.backend.players[1]->running);
        EXPECT_EQ(h.log.texts(), QStringList{QStringLiteral("bell ◆ 开始播放")});
    }
}

TEST(PreparedPlayer, AFolderStartsWithTheTrackItsPlayerWasOpenedFor) {
    for (const bool sequential : {true, false}) {
        SCOPED_TRACE(sequential ? "by name" : "random");
        EngineHarness h;
        Programme& p = h.addProgramme(
            QStringLiteral("music"),
            h.musicFolder(QStringLiteral("f"), {QStringLiteral("c.mp3"), QStringLiteral("a.mp3"),
                                                QStringLiteral("b.mp3"), QStringLiteral("d.mp3")}),
            {{8, 1, 0}}, true, 2);
        p.sequential = sequential ? 1 : 0;
        h.start(at(8, 0, 58));
        h.tick();
        ASSERT_EQ(h.backend.players.size(), 1u);
        const QString first = h.backend.players[0]->path.section(u'/', -1);
        if (sequential) {
            EXPECT_EQ(first, QStringLiteral("a.mp3"));
        }
        h.runUntil(at(8, 1, 1));
        EXPECT_EQ(h.log.texts(), QStringList{QStringLiteral("music ◆ 开始播放 ◆ ") + first});
        EXPECT_TRUE(h.backend.players[0]->running);
        EXPECT_EQ(h.backend.players.size(), 1u);
    }
}
