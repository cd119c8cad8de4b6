#include <gtest/gtest.h>

#include "core/playback/volume_scale.h"

namespace {

// Records what a fade does to a player and to the clock.
struct ScriptedPlayer : MediaPlayer {
    std::vector<int> steps;
    qint64 seekedTo = -1;
    qint32 open(const QString&, const QString&) override { return 0; }
    qint32 run() override { return 0; }
    qint32 stop() override { return 0; }
    void close() override {}
    qint32 setVolume(int attenuation) override {
        steps.push_back(attenuation);
        return 0;
    }
    qint64 getDurationMs() override { return 1000; }
    qint64 getPositionMs() override { return 0; }
    void seekMs(qint64 ms) override {
        seekedTo = ms;
        steps.push_back(1);  // marks the seek among the steps
    }
    bool isAtEnd() override { return false; }
    QString path() const override { return QStringLiteral("/m/a.mp3"); }
    QString lastErrorText() const override { return QString(); }
};

struct CountingClock : Clock {
    int sleeps = 0;
    int sleptMs = 0;
    LocalDateTime now() const override { return makeDateTime(2024, 1, 1); }
    void sleepMs(int ms) override {
        ++sleeps;
        sleptMs += ms;
    }
};

}  // namespace

TEST(VolumeScale, AttenuationInHundredthsOfADecibel) {
    EXPECT_EQ(volumeToAttenuation(100), 0);
    EXPECT_EQ(volumeToAttenuation(50), -1505);
    EXPECT_EQ(volumeToAttenuation(10), -5000);
    EXPECT_EQ(volumeToAttenuation(2), -8494);
    EXPECT_EQ(volumeToAttenuation(1), -10000);
    EXPECT_EQ(volumeToAttenuation(0), -10000);
    EXPECT_EQ(volumeToAttenuation(80, true), -10000);
    EXPECT_EQ(levelToAttenuation(1.99), -10000);
    EXPECT_EQ(levelToAttenuation(50.9), -1505);
}

TEST(VolumeScale, FadeInIsTwentyStepsWithNineteenPauses) {
    ScriptedPlayer player;
    CountingClock clock;
    fadeIn(player, 80.0, clock);
    ASSERT_EQ(player.steps.size(), 20u);
    EXPECT_EQ(player.steps.front(), volumeToAttenuation(4));
    EXPECT_EQ(player.steps[9], volumeToAttenuation(40));
    EXPECT_EQ(player.steps.back(), volumeToAttenuation(80));
    EXPECT_EQ(clock.sleeps, 19);
    EXPECT_EQ(clock.sleptMs, 19 * 6);
    for (size_t i = 1; i < player.steps.size(); ++i) {
        EXPECT_GE(player.steps[i], player.steps[i - 1]);
    }
}

TEST(VolumeScale, SeekWithFadeGoesDownSeeksAndComesBack) {
    ScriptedPlayer player;
    CountingClock clock;
    seekWithFade({&player}, 2500, 100.0, clock);
    ASSERT_EQ(player.steps.size(), 50u + 1u + 20u);
    EXPECT_EQ(player.steps[0], volumeToAttenuation(98));
    EXPECT_EQ(player.steps[49], kSilentAttenuation);
    EXPECT_EQ(player.steps[50], 1);
    EXPECT_EQ(player.seekedTo, 2500);
    EXPECT_EQ(player.steps.back(), 0);
    EXPECT_EQ(clock.sleeps, 49 + 19);
}

TEST(VolumeScale, RampStepsOneUnitAtATime) {
    ScriptedPlayer player;
    CountingClock clock;
    rampVolume({&player}, 10, 13, clock);
    EXPECT_EQ(player.steps, (std::vector<int>{volumeToAttenuation(11), volumeToAttenuation(12),
                                              volumeToAttenuation(13)}));
    EXPECT_EQ(clock.sleeps, 2);
    player.steps.clear();
    rampVolume({&player}, 13, 11, clock);
    EXPECT_EQ(player.steps, (std::vector<int>{volumeToAttenuation(12), volumeToAttenuation(11)}));
    player.steps.clear();
    rampVolume({&player}, 7, 7, clock);
    rampVolume({}, 1, 9, clock);
    EXPECT_TRUE(player.steps.empty());
}
