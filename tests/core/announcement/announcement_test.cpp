#include <gtest/gtest.h>

#include "core/playback/volume_scale.h"
#include "helpers/alarm_harness.h"

// A live announcement in one of two zones, on the simulated clock.

TEST(Announcement, SilencesTimedAndImmediatePlayInItsZoneOnlyAndTheyComeBack) {
    AlarmHarness h;
    h.timed.settings.duckFadeOutSeconds = 1;
    h.timed.settings.duckFadeInSeconds = 2;
    for (const auto& [name, file] :
         {std::pair{QStringLiteral("起床铃"), QStringLiteral("a.mp3")},
          std::pair{QStringLiteral("上课铃"), QStringLiteral("b.mp3")}}) {
        h.timed.addProgramme(name, h.timed.musicFile(file), {{8, 0, 0}}, false, 120).volume = 100;
    }
    // On time under the announcement: it starts at its second, silent in its zone.
    h.timed
        .addProgramme(QStringLiteral("眼保健操"), h.timed.musicFile(QStringLiteral("c.mp3")),
                      {{8, 0, 10}}, false, 60)
        .volume = 100;
    h.model.append({makePlaylistEntry(h.timed.musicFile(QStringLiteral("song.mp3")), -1)});
    h.model.setCurrent(0);
    h.immediate.setLimits(0, 0);
    h.runUntil(at(8, 0, 1));
    h.immediate.startImmediatePlay();
    h.runUntil(at(8, 0, 5));
    ASSERT_TRUE(h.immediate.hasAudio());
    const int duckedLevel = volumeToAttenuation(100 - h.timed.settings.duckPercent);
    const int immediateLevel = volumeToAttenuation(h.model.settings().volume);
    using Levels = std::map<QString, int>;
    const QString hall = QStringLiteral("KB-Hall");
    const QString dorm = QStringLiteral("KB-Speakers");
    EXPECT_EQ(h.levels(QStringLiteral("a.mp3")), (Levels{{dorm, duckedLevel}}));
    EXPECT_EQ(h.levels(QStringLiteral("b.mp3")), (Levels{{hall, duckedLevel}}));

    QString message;
    ASSERT_TRUE(h.announcement.begin(QStringLiteral("mic"), {QStringLiteral("教学楼")}, message))
        << message.toStdString();
    EXPECT_EQ(h.live.devices, QStringList{hall});
    h.runUntil(at(8, 0, 12));
    EXPECT_EQ(h.levels(QStringLiteral("a.mp3")), (Levels{{dorm, duckedLevel}}));
    EXPECT_EQ(h.levels(QStringLiteral("c.mp3")), (Levels{{hall, kSilentAttenuation}}));
    EXPECT_EQ(h.levels(QStringLiteral("song.mp3")),
              (Levels{{hall, kSilentAttenuation}, {dorm, immediateLevel}}));

    h.announcement.end();
    EXPECT_FALSE(h.live.live);
    h.runUntil(at(8, 0, 15));
    EXPECT_EQ(h.levels(QStringLiteral("c.mp3")), (Levels{{hall, duckedLevel}}));
    EXPECT_EQ(h.levels(QStringLiteral("song.mp3")),
              (Levels{{hall, immediateLevel}, {dorm, immediateLevel}}));
    EXPECT_EQ(h.timed.log.texts().filter(QStringLiteral("喊话")),
              (QStringList{QStringLiteral("喊话 ◆ 开始 ◆ 教学楼"), QStringLiteral("喊话 ◆ 结束")}));
    EXPECT_EQ(h.timed.log.lines().filter(QStringLiteral("眼保健操 ◆ 开始播放")),
              QStringList{QStringLiteral("08:00:10 眼保健操 ◆ 开始播放")});
}
