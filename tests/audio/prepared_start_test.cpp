#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include "audio/audio_player.h"
#include "audio/gst_support.h"
#include "helpers/sink_recorder.h"
#include "helpers/test_environment.h"
#include "helpers/tone_files.h"

namespace {

void pumpEvents(int ms) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(2);
    }
}

}  // namespace

// A player opened seconds before it runs (the timed engine opens the next start's player
// ahead) must sound when it runs, from the file's beginning to its end, not as many seconds
// later as it waited, nor with its beginning cut.
TEST(PreparedStart, APlayerOpenedSecondsEarlyPlaysTheWholeFileWhenItRuns) {
    ASSERT_TRUE(soundServerReady());
    ASSERT_TRUE(initAudioEngine());
    SinkRecorder speakers(QStringLiteral("kb_speakers"));
    ASSERT_TRUE(speakers.start());
    const QString tone = toneFile(QStringLiteral("wav"), 1.0, 440);
    for (const int waitMs : {0, 2500}) {
        SCOPED_TRACE(waitMs);
        AudioPlayer player;
        ASSERT_EQ(player.open(tone, QStringLiteral("KB-Speakers")), 0);
        EXPECT_EQ(player.getDurationMs(), 1000) << "known once opened";
        player.setVolume(kSilentAttenuation);
        pumpEvents(waitMs);
        const qint64 ran = monotonicNs();
        ASSERT_EQ(player.run(), 0);
        player.setVolume(0);
        pumpEvents(1500);
        EXPECT_TRUE(player.isAtEnd());
        player.stop();
        player.close();
        const qint64 ms = 1'000'000;
        // Heard within the first quarter second, still at its end, and then silent.
        EXPECT_GT(speakers.levelDb(ran + 150 * ms, ran + 350 * ms), -30.0);
        EXPECT_GT(speakers.levelDb(ran + 850 * ms, ran + 950 * ms), -30.0);
        EXPECT_LT(speakers.levelDb(ran + 1250 * ms, ran + 1450 * ms), -80.0);
    }
}
