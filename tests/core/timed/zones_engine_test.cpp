#include <gtest/gtest.h>

#include "core/playback/volume_scale.h"
#include "core/timed/run_texts.h"
#include "helpers/engine_harness.h"

// One programme at a time in each zone, on a simulated clock: the school's teaching building
// (KB-Hall) and dormitory (KB-Speakers).

namespace {

ZoneSetup school() {
    ZoneSetup zones;
    zones.zones = {{QStringLiteral("教学楼"), QStringLiteral("KB-Hall")},
                   {QStringLiteral("宿舍"), QStringLiteral("KB-Speakers")}};
    zones.setZonesOf(QStringLiteral("上课铃"), {QStringLiteral("教学楼")});
    zones.setZonesOf(QStringLiteral("起床铃"), {QStringLiteral("宿舍")});
    zones.setZonesOf(QStringLiteral("早操"), {QStringLiteral("教学楼"), QStringLiteral("宿舍")});
    zones.setZonesOf(QStringLiteral("午休"), {QStringLiteral("教学楼")});
    return zones;
}

// The devices of the players that are open now, sorted.
QStringList playingDevices(const EngineHarness& h) {
    QStringList devices;
    for (const auto& player : h.backend.players) {
        if (player->running && !player->closed) {
            devices.append(player->device);
        }
    }
    devices.sort();
    return devices;
}

}  // namespace

TEST(ZonesEngine, DisjointZonesSoundTogetherAndAProgrammeOnBothPreemptsBoth) {
    EngineHarness h;
    const ZoneSetup zones = school();
    h.runs.setZones(&zones);
    h.addProgramme(QStringLiteral("上课铃"), h.musicFile(QStringLiteral("a.mp3")), {{8, 0, 0}},
                   false, 60);
    h.addProgramme(QStringLiteral("起床铃"), h.musicFile(QStringLiteral("b.mp3")), {{8, 0, 0}},
                   false, 60);
    h.addProgramme(QStringLiteral("早操"), h.musicFile(QStringLiteral("c.mp3")), {{8, 0, 5}}, false,
                   60);
    h.start(at(7, 59, 59));
    h.runUntil(at(8, 0, 1));
    EXPECT_EQ(playingDevices(h),
              (QStringList{QStringLiteral("KB-Hall"), QStringLiteral("KB-Speakers")}));
    std::vector<qint64> started;
    for (const auto& player : h.backend.players) {
        if (player->running) {
            started.push_back(player->runStartTicks);
        }
    }
    ASSERT_EQ(started.size(), 2u);
    // In the same tick, one after the other's 20-step fade-in.
    EXPECT_LE(std::abs(started[0] - started[1]), 150 * kTicksPerMillisecond);
    h.runUntil(at(8, 0, 7));
    const QString reason = RunTexts::preemptedBy(QStringLiteral("早操"));
    EXPECT_EQ(
        h.log.lines(),
        (QStringList{
            QStringLiteral("08:00:00 上课铃 ◆ 开始播放"),
            QStringLiteral("08:00:00 起床铃 ◆ 开始播放"),
            QStringLiteral("08:00:05 ") + RunTexts::stopping(QStringLiteral("上课铃"), reason),
            QStringLiteral("08:00:05 ") + RunTexts::stopping(QStringLiteral("起床铃"), reason),
            QStringLiteral("08:00:05 早操 ◆ 开始播放")}))
        << h.log.lines().join(u'\n').toStdString();
    EXPECT_EQ(playingDevices(h),
              (QStringList{QStringLiteral("KB-Hall"), QStringLiteral("KB-Speakers")}));
}

TEST(ZonesEngine, AQueuedProgrammeWaitsForItsOwnZoneOnly) {
    EngineHarness h;
    const ZoneSetup zones = school();
    h.runs.setZones(&zones);
    h.addProgramme(QStringLiteral("上课铃"), h.musicFile(QStringLiteral("a.mp3")), {{8, 0, 0}},
                   false, 10);
    h.addProgramme(QStringLiteral("起床铃"), h.musicFile(QStringLiteral("b.mp3")), {{8, 0, 0}},
                   false, 60);
    h.addProgramme(QStringLiteral("午休"), h.musicFile(QStringLiteral("c.mp3")), {{8, 0, 2}}, false,
                   5, true);
    h.start(at(7, 59, 59));
    h.runUntil(at(8, 0, 4));
    EXPECT_EQ(h.rows.rows().size(), 3u);
    EXPECT_EQ(h.rows.rows()[2].progress, QStringLiteral("排队等候"));
    h.runUntil(at(8, 0, 12));
    const QStringList lines = h.log.lines();
    EXPECT_TRUE(lines.contains(QStringLiteral("08:00:10 上课铃 ◆ 播放结束")))
        << lines.join(u'\n').toStdString();
    EXPECT_TRUE(lines.contains(QStringLiteral("08:00:10 午休 ◆ 开始播放")));
    EXPECT_EQ(lines.filter(QStringLiteral("起床铃")).size(), 1) << "the dormitory plays on";
    EXPECT_EQ(playingDevices(h),
              (QStringList{QStringLiteral("KB-Hall"), QStringLiteral("KB-Speakers")}));
}

TEST(ZonesEngine, ImmediatePlayDucksOnlyTheRunsOfItsZones) {
    EngineHarness h;
    ZoneSetup zones = school();
    zones.immediate = {QStringLiteral("教学楼")};
    h.runs.setZones(&zones);
    h.settings.duckPercent = 60;
    h.addProgramme(QStringLiteral("上课铃"), h.musicFile(QStringLiteral("a.mp3")), {{8, 0, 0}},
                   false, 600);
    h.addProgramme(QStringLiteral("起床铃"), h.musicFile(QStringLiteral("b.mp3")), {{8, 0, 0}},
                   false, 600);
    bool announcing = false;
    h.runs.ducking().lowerWhile(DuckSource::Immediate, [&](const QString& zone) {
        return announcing && immediateZones(&zones).contains(zone);
    });
    h.start(at(7, 59, 59));
    h.runUntil(at(8, 0, 2));
    announcing = true;
    h.runForSeconds(10);
    EXPECT_DOUBLE_EQ(h.runs.ducking().gain(QStringLiteral("教学楼")), 0.4);
    EXPECT_DOUBLE_EQ(h.runs.ducking().gain(QStringLiteral("宿舍")), 1.0);
    int hall = -1;
    int dorm = -1;
    for (const auto& player : h.backend.players) {
        (player->device == QStringLiteral("KB-Hall") ? hall : dorm) = player->volumes.back();
    }
    EXPECT_EQ(hall, levelToAttenuation(80 * 0.4));
    EXPECT_EQ(dorm, volumeToAttenuation(80));
}
