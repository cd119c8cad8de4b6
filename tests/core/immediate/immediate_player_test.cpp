#include <gtest/gtest.h>
#include <QSignalSpy>

#include "core/immediate/immediate_file.h"
#include "core/playback/volume_scale.h"
#include "helpers/immediate_harness.h"

namespace {

const QString kBanner = QStringLiteral("- - - - -  立 即 播  - - - - -\n\n");

// A timed programme of ten minutes at volume 100, due at 08:00:00.
Programme& addTimedMusic(ImmediateHarness& h) {
    Programme& p = h.timed.addProgramme(QStringLiteral("课间音乐"),
                                        h.timed.musicFile(QStringLiteral("timed.mp3"), 600'000),
                                        {{8, 0, 0}}, false, 600);
    p.volume = 100;
    return p;
}

std::shared_ptr<PlayerRecord> recordOf(ImmediateHarness& h, const QString& name) {
    for (const auto& p : h.timed.backend.players) {
        if (p->path.endsWith(u'/' + name)) {
            return p;
        }
    }
    return nullptr;
}

}  // namespace

TEST(ImmediatePlayer, WaitsForTimedPlayToDuckThenStarts) {
    ImmediateHarness h;
    h.timed.settings.duckPercent = 60;
    h.timed.settings.duckFadeOutSeconds = 5;
    h.timed.settings.duckFadeInSeconds = 2;
    addTimedMusic(h);
    h.addTracks({QStringLiteral("song.mp3")});
    h.model.setCurrent(0);
    h.runForSeconds(2);
    ASSERT_EQ(h.timed.runs.runs().size(), 1u);

    QSignalSpy active(&h.player, &ImmediatePlayer::activeChanged);
    h.player.startImmediatePlay();
    EXPECT_EQ(h.saves, 1);
    ASSERT_EQ(active.size(), 1);
    EXPECT_TRUE(active[0][0].toBool());
    const LocalDateTime armed = h.timed.clock.now();
    double gainAtStart = -1;
    int waitingTicks = 0;
    QStringList waitingTexts;
    while (!h.player.hasAudio() && waitingTicks < 200) {
        h.tick();
        if (h.player.hasAudio()) {
            gainAtStart = h.timed.runs.ducking().gain();
        } else {
            ++waitingTicks;
            waitingTexts.append(h.player.status());
        }
    }
    // 0.6 of gain at 0.01 a tick: the track starts in the 60th tick, 3 s after the command.
    EXPECT_EQ(waitingTicks, 59);
    EXPECT_DOUBLE_EQ(gainAtStart, 0.4);
    EXPECT_NEAR(h.elapsedSeconds(armed), 3.0, 0.2);
    EXPECT_EQ(waitingTexts.mid(0, 6), QStringList(6, QStringLiteral("即将播放")));
    EXPECT_EQ(waitingTexts.mid(6, 6), QStringList(6, QStringLiteral("即将播放 ...")));
    EXPECT_EQ(waitingTexts.mid(12, 6), QStringList(6, QStringLiteral("即将播放")));
    // The timed programme now plays at level 40.
    EXPECT_EQ(recordOf(h, QStringLiteral("timed.mp3"))->volumes.back(), volumeToAttenuation(40));
    EXPECT_EQ(h.player.status(), QStringLiteral("第 1/1 首"));
    // The track's own fade-in reaches the playlist volume.
    EXPECT_EQ(recordOf(h, QStringLiteral("song.mp3"))->volumes.back(), volumeToAttenuation(80));

    // Stopping lets the timed gain glide back up over duckFadeInSeconds.
    h.player.stopImmediatePlay(true);
    EXPECT_FALSE(h.player.isActive());
    EXPECT_EQ(h.player.status(), QString());
    h.runForSeconds(0.6);
    EXPECT_GT(h.timed.runs.ducking().gain(), 0.4);
    EXPECT_LT(h.timed.runs.ducking().gain(), 1.0);
    h.runForSeconds(1.0);
    EXPECT_DOUBLE_EQ(h.timed.runs.ducking().gain(), 1.0);
    EXPECT_EQ(recordOf(h, QStringLiteral("timed.mp3"))->volumes.back(), 0);
}

TEST(ImmediatePlayer, WithNothingTimedPlayingStartsOnTheNextTickAndLaterRunsPlayLowered) {
    ImmediateHarness h;
    h.timed.settings.duckPercent = 60;
    h.addTracks({QStringLiteral("song.mp3")}, 3'600'000);
    h.model.setCurrent(0);
    h.player.startImmediatePlay();
    h.tick();
    EXPECT_TRUE(h.player.hasAudio());
    EXPECT_DOUBLE_EQ(h.timed.runs.ducking().gain(), 0.4);
    EXPECT_TRUE(h.statuses.filter(QStringLiteral("即将播放")).isEmpty());
    // A programme due while immediate play sounds starts at the lowered level.
    Programme& p = h.timed.addProgramme(
        QStringLiteral("铃声"), h.timed.musicFile(QStringLiteral("bell.mp3"), 10'000), {{8, 0, 5}});
    p.volume = 100;
    h.runForSeconds(6);
    ASSERT_NE(recordOf(h, QStringLiteral("bell.mp3")), nullptr);
    const std::vector<int> volumes = recordOf(h, QStringLiteral("bell.mp3"))->volumes;
    EXPECT_EQ(*std::max_element(volumes.begin(), volumes.end()), volumeToAttenuation(40));
}

TEST(ImmediatePlayer, SixtySecondsFadeOverTheirLastSevenSeconds) {
    ImmediateHarness h;
    h.addTracks({QStringLiteral("long.mp3")}, 600'000);
    h.model.setCurrent(0);
    h.store.settings().limitByTracks = 0;
    h.player.setLimits(1, 60);
    h.player.startImmediatePlay();
    h.tick();
    ASSERT_TRUE(h.player.hasAudio());
    const LocalDateTime started = wholeSecond(h.timed.clock.now());
    double fadeStart = -1;
    double end = -1;
    for (int i = 0; i < 20 * 80 && end < 0; ++i) {
        h.tick();
        const double elapsed = h.elapsedSeconds(started);
        if (fadeStart < 0 && h.player.endFadeGain() < 1.0) {
            fadeStart = elapsed;
        }
        if (!h.player.isActive()) {
            end = elapsed;
        }
    }
    EXPECT_GE(fadeStart, 53.0);
    EXPECT_LT(fadeStart, 53.2);
    EXPECT_NEAR(end - fadeStart, 7.0, 0.1);
    ASSERT_GE(h.statuses.size(), 3);
    EXPECT_EQ(h.statuses.last(), QString()) << "cleared at the end";
    EXPECT_EQ(h.statuses[h.statuses.size() - 2], QStringLiteral("60 / 60秒"));
    for (const QString& s : h.statuses) {
        EXPECT_LE(s.section(u' ', 0, 0).toInt(), 60) << s.toStdString();
    }
    // The level falls step by step to silence and the player is freed.
    const auto record = recordOf(h, QStringLiteral("long.mp3"));
    EXPECT_EQ(record->volumes.back(), kSilentAttenuation);
    EXPECT_TRUE(record->closed);
    EXPECT_EQ(record->live, nullptr);
}

TEST(ImmediatePlayer, ThreeTracksInListModeWrapAndLeaveTheFirstCurrentAndSaved) {
    ImmediateHarness h;
    h.addTracks({QStringLiteral("1.mp3"), QStringLiteral("2.mp3"), QStringLiteral("3.mp3"),
                 QStringLiteral("4.mp3")},
                10'000);
    h.model.setCurrent(2);
    h.player.setLimits(3, 0);
    h.player.startImmediatePlay();
    h.runForSeconds(40);
    EXPECT_EQ(h.immediateTracks(), (QStringList{QStringLiteral("3.mp3"), QStringLiteral("4.mp3"),
                                                QStringLiteral("1.mp3")}));
    EXPECT_FALSE(h.player.isActive());
    EXPECT_TRUE(h.statuses.contains(QStringLiteral("第 3/3 首")));
    EXPECT_EQ(h.model.current(), 0);
    ImmediateSettings saved;
    QString message;
    ASSERT_TRUE(loadImmediateSettings(h.timed.folder.path(), QString(), saved, message));
    EXPECT_EQ(saved.playlist[0].isCurrent, 1);
    EXPECT_EQ(saved.playlist[2].isCurrent, 0);
}

TEST(ImmediatePlayer, RepeatOnePlaysTheSameTrackNTimes) {
    ImmediateHarness h;
    h.addTracks({QStringLiteral("a.mp3"), QStringLiteral("b.mp3")}, 5'000);
    h.model.setCurrent(1);
    h.store.settings().playMode = kRepeatOne;
    h.player.setLimits(3, 0);
    h.player.startImmediatePlay();
    h.runForSeconds(30);
    EXPECT_EQ(h.immediateTracks(), QStringList(3, QStringLiteral("b.mp3")));
    EXPECT_FALSE(h.player.isActive());
}

TEST(ImmediatePlayer, RandomPlaysEachTrackOncePerCycleAndNeverRepeatsAcrossCycles) {
    for (unsigned seed : {1u, 2u, 3u, 4u, 5u, 6u}) {
        SCOPED_TRACE(seed);
        ImmediateHarness h;
        h.player.setRandomSeed(seed);
        h.addTracks({QStringLiteral("a.mp3"), QStringLiteral("b.mp3"), QStringLiteral("c.mp3"),
                     QStringLiteral("d.mp3")},
                    5'000);
        h.model.setCurrent(0);
        h.store.settings().playMode = kRandom;
        h.player.setLimits(12, 0);
        h.player.startImmediatePlay();
        h.runForSeconds(70);
        const QStringList played = h.immediateTracks();
        ASSERT_EQ(played.size(), 12);
        for (int cycle = 0; cycle < 3; ++cycle) {
            QStringList one = played.mid(cycle * 4, 4);
            one.sort();
            EXPECT_EQ(one, (QStringList{QStringLiteral("a.mp3"), QStringLiteral("b.mp3"),
                                        QStringLiteral("c.mp3"), QStringLiteral("d.mp3")}));
            if (cycle > 0) {
                EXPECT_NE(played[cycle * 4], played[cycle * 4 - 1]);
            }
        }
    }
}

TEST(ImmediatePlayer, ClockSetBackTwentySecondsEndsSecondsPlayButTenDoNot) {
    for (int back : {10, 20}) {
        SCOPED_TRACE(back);
        ImmediateHarness h;
        h.addTracks({QStringLiteral("long.mp3")}, 600'000);
        h.model.setCurrent(0);
        h.store.settings().limitByTracks = 0;
        h.player.setLimits(1, 600);
        h.player.startImmediatePlay();
        h.runForSeconds(3);
        ASSERT_TRUE(h.player.hasAudio());
        h.timed.clock.advanceMs(-back * 1000);
        h.runForSeconds(1);
        if (back == 10) {
            EXPECT_TRUE(h.player.isActive());
            EXPECT_TRUE(h.messages.shown.isEmpty());
        } else {
            EXPECT_FALSE(h.player.isActive());
            ASSERT_EQ(h.messages.texts(),
                      QStringList{kBanner + QStringLiteral("播放异常 - 系统时间倒退")});
            EXPECT_EQ(h.messages.shown[0].icon, MessageIcon::Warning);
            const auto record = recordOf(h, QStringLiteral("long.mp3"));
            EXPECT_EQ(record->volumes.back(), kSilentAttenuation) << "faded out";
        }
    }
}

TEST(ImmediatePlayer, MissingCurrentFileEndsTheStartAndForgetsItsLength) {
    ImmediateHarness h;
    h.model.append({makePlaylistEntry(h.timed.folder.file(QStringLiteral("gone.mp3")), 61'000)});
    h.model.setCurrent(0);
    h.player.startImmediatePlay();
    h.tick();
    EXPECT_FALSE(h.player.isActive());
    EXPECT_EQ(h.messages.texts(), QStringList{kBanner + QStringLiteral("音乐不存在：\n") +
                                              h.timed.folder.file(QStringLiteral("gone.mp3"))});
    EXPECT_EQ(h.model.index(0, 1).data().toString(), QString());
    EXPECT_EQ(h.model.entries()[0].durationMs, -1);
}

TEST(ImmediatePlayer, EachOpenFailureHasItsOwnMessage) {
    struct Case {
        const char* what;
        qint32 code;
        bool framework;
        bool modules;
        QString expected;
        QString help;
    };
    ImmediateHarness probe;
    const QString path = probe.timed.folder.file(QStringLiteral("x.mp3"));
    const Case cases[] = {
        {"framework", kErrorFail, false, true,
         kBanner + QStringLiteral("播放失败 - 系统环境有问题"), QStringLiteral("environment")},
        {"device", kErrorNoAudioDevice, true, true,
         kBanner + QStringLiteral("播放失败 - 音频设备无效"), QString()},
        {"modules", kErrorFail, true, false, kBanner + QStringLiteral("播放失败 - 文件有缺失"),
         QStringLiteral("environment")},
        {"format", kErrorInvalidFileFormat, true, true, kBanner + QStringLiteral("播放失败：\n"),
         QString()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ImmediateHarness h;
        h.addTracks({QStringLiteral("x.mp3")}, 10'000);
        h.model.setCurrent(0);
        h.timed.backend.script.failingOpens[QStringLiteral("x.mp3")] = c.code;
        h.timed.backend.script.frameworkAvailable = c.framework;
        h.timed.backend.script.modulesIntact = c.modules;
        QSignalSpy help(&h.player, &ImmediatePlayer::helpRequested);
        h.player.startImmediatePlay();
        h.tick();
        EXPECT_FALSE(h.player.isActive());
        ASSERT_EQ(h.messages.shown.size(), 1);
        EXPECT_TRUE(h.messages.shown[0].text.startsWith(c.expected))
            << h.messages.shown[0].text.toStdString();
        EXPECT_EQ(h.messages.shown[0].icon, MessageIcon::Warning);
        EXPECT_EQ(h.model.entries()[0].durationMs, -1);
        EXPECT_EQ(help.size(), c.help.isEmpty() ? 0 : 1);
        if (c.code == kErrorInvalidFileFormat) {
            EXPECT_TRUE(
                h.messages.shown[0].text.contains(h.timed.folder.file(QStringLiteral("x.mp3")) +
                                                  QStringLiteral("\nscripted failure")));
        }
    }
}

TEST(ImmediatePlayer, PlaybackErrorsEndImmediatePlayWithTheirMessages) {
    for (const bool device : {true, false}) {
        SCOPED_TRACE(device);
        ImmediateHarness h;
        h.addTracks({QStringLiteral("a.mp3")}, 60'000);
        h.model.setCurrent(0);
        h.player.startImmediatePlay();
        h.tick();
        ASSERT_TRUE(h.player.hasAudio());
        const auto record = recordOf(h, QStringLiteral("a.mp3"));
        // A device coming back is no failure.
        record->emitEvent({kEventDeviceLost, 0, 1, QString()});
        EXPECT_TRUE(h.player.isActive());
        record->emitEvent(
            device ? PlayerEvent{kEventDeviceLost, 0, 0, QString()}
                   : PlayerEvent{kEventErrorAbort, kErrorFail, 0, QStringLiteral("decoder broke")});
        EXPECT_FALSE(h.player.isActive());
        EXPECT_EQ(record->live, nullptr);
        ASSERT_EQ(h.messages.shown.size(), 1);
        const QString text = h.messages.shown[0].text;
        if (device) {
            EXPECT_TRUE(text.startsWith(kBanner + QStringLiteral("播放异常 - 音频设备失效")));
        } else {
            EXPECT_TRUE(text.startsWith(kBanner + QStringLiteral("播放异常：\n") + record->path +
                                        QStringLiteral("\n\ndecoder broke")))
                << text.toStdString();
        }
    }
}

TEST(ImmediatePlayer, StopFadeExitScaleVolumeRampAndSeek) {
    ImmediateHarness h;
    h.addTracks({QStringLiteral("a.mp3")}, 100'000);
    h.model.setCurrent(0);
    h.player.startImmediatePlay();
    h.tick();
    const auto record = recordOf(h, QStringLiteral("a.mp3"));
    ASSERT_TRUE(h.player.hasAudio());

    // The volume slider: one step per unit, 6 ms apart, then the new volume is kept.
    record->volumes.clear();
    const qint64 before = h.timed.clock.ticks();
    h.player.changeVolume(70);
    ASSERT_EQ(record->volumes.size(), 10u);
    EXPECT_EQ(record->volumes.front(), volumeToAttenuation(79));
    EXPECT_EQ(record->volumes.back(), volumeToAttenuation(70));
    EXPECT_EQ((h.timed.clock.ticks() - before) / 10'000, 54);
    EXPECT_EQ(h.store.settings().volume, 70);

    // The position slider: fade down, seek, fade up; never to the very end.
    h.player.seekToPercent(100);
    EXPECT_EQ(record->seeks, 1);
    EXPECT_EQ(record->positionBaseMs, 99'900);
    EXPECT_EQ(record->volumes.back(), volumeToAttenuation(70));

    // The exit fade: 0.98, then 48/50 down to 0, when the player goes.
    record->volumes.clear();
    h.player.scaleImmediateVolume(0.98);
    EXPECT_EQ(record->volumes.back(), levelToAttenuation(0.98 * 70));
    h.player.scaleImmediateVolume(0.0);
    EXPECT_FALSE(h.player.isActive());
    EXPECT_EQ(record->live, nullptr);

    // The stop fade: 50 steps over about 0.3 s.
    h.player.startImmediatePlay();
    h.tick();
    const auto second = h.timed.backend.players.back();
    second->volumes.clear();
    const qint64 stopAt = h.timed.clock.ticks();
    h.player.stopImmediatePlay(true);
    EXPECT_EQ(second->volumes.size(), 50u);
    EXPECT_EQ(second->volumes.front(), levelToAttenuation(0.98 * 70));
    EXPECT_EQ((h.timed.clock.ticks() - stopAt) / 10'000, 49 * 6);
    EXPECT_EQ(second->live, nullptr);
}
