#include <gtest/gtest.h>
#include <QEventLoop>
#include <QTimer>

#include "audio/engine_checks.h"
#include "audio/gst_support.h"
#include "audio/output_devices.h"
#include "core/immediate/immediate_player.h"
#include "core/timed/dispatcher.h"
#include "core/timed/tick_timer.h"
#include "helpers/sink_recorder.h"
#include "helpers/temp_folder.h"
#include "helpers/tone_files.h"

namespace {

constexpr double kTimedTone = 441.0;
constexpr double kImmediateTone = 882.0;
constexpr qint64 kMs = 1'000'000;

void waitMs(int milliseconds) {
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

}  // namespace

// A timed programme at volume 100 and immediate play on the real sink: the programme glides
// down to level 40 while immediate play sounds, and back up after it.
TEST(DuckingRealTime, TimedPlayGlidesDownForImmediatePlayAndBackAfterIt) {
    ASSERT_TRUE(initAudioEngine());
    ASSERT_TRUE(listOutputDevices().contains(QStringLiteral("KB-Speakers")))
        << "needs the test sound server (scripts/with-test-services.sh)";
    TempFolder data;
    PlayLog log(data.path());
    SystemClock clock;
    GstAudioBackend backend;
    SystemSettings settings = firstRunSettings();
    setOutputDeviceName(settings, QStringLiteral("KB-Speakers"));
    settings.duckPercent = 60;
    settings.duckFadeOutSeconds = 2;  // 0.6 of gain in 1.2 s
    settings.duckFadeInSeconds = 4;   // back in 2.4 s
    ProgrammeTable table;
    HolidayCalendar calendar;
    warmUpAudioEngine();
    RunEngine runs(clock, backend, log, settings);
    Dispatcher dispatcher(clock, table, calendar, runs, log);
    ImmediateStore store(data.path(), data.path());
    PlaylistModel playlist(store.settings());
    ImmediatePlayer immediate({clock, backend, store, playlist, settings, runs.ducking()});

    Programme music = newProgramme();
    setProgrammeName(music, QStringLiteral("课间音乐"));
    setProgrammePath(music, toneFile(QStringLiteral("wav"), 20.0, 441));
    music.countByTracks = 0;
    music.volume = 100;
    table.append(music);
    playlist.append({makePlaylistEntry(toneFile(QStringLiteral("wav"), 20.0, 882), -1)});
    playlist.setCurrent(0);
    immediate.setLimits(0, 0);

    SinkRecorder speakers(QStringLiteral("kb_speakers"));
    ASSERT_TRUE(speakers.start());
    TickTimer timer;
    QObject::connect(&timer, &TickTimer::tick, [&] {
        dispatcher.dispatchTick();
        immediate.immediateTick();
    });
    timer.start();
    dispatcher.manualPlay(0, 60);
    waitMs(1500);
    const qint64 armed = monotonicNs();
    immediate.startImmediatePlay();
    waitMs(3000);
    ASSERT_TRUE(immediate.hasAudio());
    const qint64 stopped = monotonicNs();
    immediate.stopImmediatePlay(true);
    waitMs(3500);
    timer.stop();
    runs.scaleAllRuns(0.0);

    const double before = speakers.toneLevelDb(armed - 700 * kMs, armed - 100 * kMs, kTimedTone);
    const double ducked = speakers.toneLevelDb(armed + 1600 * kMs, armed + 2800 * kMs, kTimedTone);
    const double midway =
        speakers.toneLevelDb(stopped + 900 * kMs, stopped + 1100 * kMs, kTimedTone);
    const double after =
        speakers.toneLevelDb(stopped + 3000 * kMs, stopped + 3400 * kMs, kTimedTone);
    std::printf(
        "timed tone: %.2f dB before, %.2f dB ducked (%.2f dB down), %.2f dB midway back, "
        "%.2f dB after\n",
        before, ducked, before - ducked, midway, after);
    EXPECT_GT(before, -25.0) << "the programme was heard";
    EXPECT_NEAR(before - ducked, 19.9, 0.7);
    EXPECT_GT(midway, ducked + 3.0);
    EXPECT_LT(midway, before - 3.0);
    EXPECT_NEAR(after, before, 0.5);

    // The immediate track is heard only once the glide of 1.2 s is over. (The threshold stays
    // clear of what the gliding programme spreads over other frequencies.)
    const double duringGlide =
        speakers.toneLevelDb(armed + 100 * kMs, armed + 1100 * kMs, kImmediateTone);
    const qint64 firstImmediate = speakers.firstToneNs(armed, kImmediateTone, -45.0);
    std::printf(
        "immediate tone %.2f dB during the glide, heard from %.0f ms after the start "
        "command\n",
        duringGlide, (firstImmediate - armed) / 1e6);
    EXPECT_LT(duringGlide, -55.0);
    EXPECT_GE(firstImmediate, armed + 1150 * kMs);
    EXPECT_LE(firstImmediate, armed + 1600 * kMs);
    EXPECT_LT(speakers.toneLevelDb(stopped + 500 * kMs, stopped + 3000 * kMs, kImmediateTone),
              -60.0);
}
