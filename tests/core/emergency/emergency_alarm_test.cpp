#include <gtest/gtest.h>

#include "core/immediate/immediate_texts.h"
#include "core/timed/run_texts.h"
#include "helpers/alarm_harness.h"

// The emergency alarm over the timetable, on the simulated clock.

TEST(EmergencyAlarm, StopsEverythingLetsNothingStartAndTheTimetableGoesOnWithItsNextStart) {
    AlarmHarness h;
    h.timed.addProgramme(QStringLiteral("早操"), h.timed.musicFile(QStringLiteral("a.mp3")),
                         {{8, 0, 0}}, false, 60);
    // Due during the alarm and still within its 15 s when the alarm ends: not caught up.
    h.timed.addProgramme(QStringLiteral("上课铃"), h.timed.musicFile(QStringLiteral("b.mp3")),
                         {{8, 0, 10}});
    h.timed.addProgramme(QStringLiteral("下课铃"), h.timed.musicFile(QStringLiteral("c.mp3")),
                         {{8, 0, 30}});
    h.model.append({makePlaylistEntry(h.timed.musicFile(QStringLiteral("song.mp3")), -1)});
    h.model.setCurrent(0);
    h.runUntil(at(8, 0, 2));
    h.immediate.startImmediatePlay();
    h.runUntil(at(8, 0, 5));
    ASSERT_TRUE(h.immediate.hasAudio());

    h.emergency.start();
    EXPECT_TRUE(h.emergency.isActive());
    EXPECT_TRUE(h.timed.runs.isEmpty());
    EXPECT_FALSE(h.immediate.isActive());
    for (const auto& player : h.timed.backend.players) {
        EXPECT_TRUE(player->closed) << player->path.toStdString();
    }
    // Every zone's device once, the program-wide output among them; the built-in alarm.
    EXPECT_EQ(h.alarm.devices,
              (QStringList{QStringLiteral("Default DirectSound Device"), QStringLiteral("KB-Hall"),
                           QStringLiteral("KB-Speakers")}));
    EXPECT_EQ(h.alarm.files, QStringList{h.emergency.builtInAlarm()});
    EXPECT_TRUE(h.alarm.sounding);

    const qint64 alarmStart = h.timed.clock.ticks();
    h.runUntil(at(8, 0, 15));
    h.timed.dispatcher.manualPlay(2, 1);
    h.immediate.startImmediatePlay();
    EXPECT_EQ(h.messages.texts(), QStringList{ImmediateTexts::held(EmergencyAlarm::kHoldReason)});
    EXPECT_FALSE(h.immediate.isActive());
    h.runUntil(at(8, 0, 20));
    for (const auto& player : h.timed.backend.players) {
        EXPECT_LT(player->runStartTicks, alarmStart) << player->path.toStdString();
    }
    h.emergency.stop();
    EXPECT_FALSE(h.alarm.sounding);
    h.runUntil(at(8, 0, 31));

    const QString held = EmergencyAlarm::kHoldReason;
    EXPECT_EQ(
        h.timed.log.lines(),
        (QStringList{
            QStringLiteral("08:00:00 早操 ◆ 开始播放"),
            QStringLiteral("08:00:05 紧急广播 ◆ 开始"),
            QStringLiteral("08:00:05 ") +
                RunTexts::stopping(QStringLiteral("早操"), QStringLiteral("紧急广播")),
            QStringLiteral("08:00:10 ") + RunTexts::stopped(QStringLiteral("上课铃"), held),
            QStringLiteral("08:00:15 ") + RunTexts::stopped(QStringLiteral("下课铃(手动)"), held),
            QStringLiteral("08:00:20 紧急广播 ◆ 结束"),
            QStringLiteral("08:00:30 下课铃 ◆ 开始播放"),
        }))
        << h.timed.log.lines().join(u'\n').toStdString();
    // An alarm file of the user's comes first; the built-in one is there if it cannot play.
    h.emergency.start(QStringLiteral("/srv/警报.mp3"));
    EXPECT_EQ(h.alarm.files,
              (QStringList{QStringLiteral("/srv/警报.mp3"), h.emergency.builtInAlarm()}));
}
