#include <gtest/gtest.h>
#include <QEventLoop>
#include <QTimer>
#include <functional>

#include "audio/engine_checks.h"
#include "audio/gst_support.h"
#include "audio/output_devices.h"
#include "core/immediate/immediate_player.h"
#include "core/timed/dispatcher.h"
#include "core/timed/tick_timer.h"
#include "helpers/recording_checks.h"
#include "helpers/temp_folder.h"
#include "helpers/tone_files.h"

namespace {

constexpr double kTimedTone = 441.0;
constexpr double kImmediateTone = 882.0;
constexpr qint64 kMs = 1'000'000;
// The programme sounds throughout: silence in it is a dropout, not part of a glide.
constexpr auto kDropout = SinkRecorder::Silence::IsDropout;
// What a player has taken in is heard up to the sink's buffer later; opening a file and the
// sink's buffer together stay well under this on a busy machine.
constexpr qint64 kHeardWithinNs = 1000 * kMs;

// Runs the event loop until `done` holds; false when it still does not after the timeout.
bool runEventsUntil(const std::function<bool()>& done, int timeoutMs) {
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done()) {
            loop.quit();
        }
    });
    poll.start(10);
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    loop.exec();
    return done();
}

// What the speakers played while immediate play came and went over a timed programme. The
// glides go by ticks, which come late on a busy machine; so the windows follow the ticks
// that were seen, not the nominal 1.2 s and 2.4 s.
struct HeardDucking {
    double before = 0.0;           // the programme's tone before immediate play
    double ducked = 0.0;           // once glided down
    double midway = 0.0;           // halfway back
    double after = 0.0;            // back up
    double duringGlide = 0.0;      // the immediate tone while the programme glided down
    double afterImmediate = 0.0;   // the immediate tone once stopped
    qint64 glideDoneToHeard = -1;  // ns from the tick that ended the glide to the immediate tone
    qint64 startToHeard = -1;      // ns from the tick that started immediate play to it
    double lostMs = 0.0;
    double droppedMs = 0.0;  // where the programme fell silent (left out of the levels)
};

void duckForImmediatePlay(HeardDucking& heard) {
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
    settings.duckFadeOutSeconds = 2;  // 0.6 of gain in 24 ticks
    settings.duckFadeInSeconds = 4;   // back in 48
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
    setProgrammePath(music, toneFile(QStringLiteral("wav"), 30.0, 441));
    music.countByTracks = 0;
    music.volume = 100;
    table.append(music);
    playlist.append({makePlaylistEntry(toneFile(QStringLiteral("wav"), 20.0, 882), -1)});
    playlist.setCurrent(0);
    immediate.setLimits(0, 0);

    SinkRecorder speakers(QStringLiteral("kb_speakers"));
    ASSERT_TRUE(speakers.start());
    // The monotonic time of the ticks at which the gain reached a mark, and at which immediate
    // play started.
    qint64 glideDone = -1, started = -1, halfBack = -1, back = -1;
    bool stopped = false;
    TickTimer timer;
    QObject::connect(&timer, &TickTimer::tick, [&] {
        const qint64 now = monotonicNs();
        dispatcher.dispatchTick();
        immediate.immediateTick();
        const double gain = runs.ducking().gain();
        if (glideDone < 0 && gain <= 0.4 + 1e-9) {
            glideDone = now;
        }
        if (started < 0 && immediate.hasAudio()) {
            started = now;
        }
        if (stopped && halfBack < 0 && gain >= 0.7 - 1e-9) {
            halfBack = now;
        }
        if (stopped && back < 0 && gain >= 1.0 - 1e-9) {
            back = now;
        }
    });
    timer.start();
    const qint64 played = monotonicNs();
    dispatcher.manualPlay(0, 60);
    // A second of the programme at its full level before immediate play is armed.
    ASSERT_TRUE(
        runEventsUntil([&] { return speakers.firstToneNs(played, kTimedTone, -60.0) > 0; }, 20000));
    runEventsUntil([] { return false; }, 1000);
    const qint64 armed = monotonicNs();
    immediate.startImmediatePlay();
    ASSERT_TRUE(runEventsUntil([&] { return started > 0; }, 20000));
    runEventsUntil([] { return false; }, 1500);
    const qint64 stopAt = monotonicNs();
    immediate.stopImmediatePlay(true);
    stopped = true;
    ASSERT_TRUE(runEventsUntil([&] { return back > 0; }, 30000));
    runEventsUntil([] { return false; }, 900);
    timer.stop();
    runs.scaleAllRuns(0.0);

    heard.lostMs = speakers.lostMs(armed - 700 * kMs, back + 800 * kMs);
    heard.droppedMs = speakers.silentMs(armed - 700 * kMs, back + 800 * kMs);
    heard.before = speakers.toneLevelDb(armed - 700 * kMs, armed - 100 * kMs, kTimedTone, kDropout);
    heard.ducked =
        speakers.toneLevelDb(glideDone + kHeardWithinNs / 2, stopAt, kTimedTone, kDropout);
    // From the tick at 0.7 the gain rises to 0.8 in 200 ms; heard up to the sink's buffer later.
    heard.midway = speakers.toneLevelDb(halfBack, halfBack + 200 * kMs, kTimedTone, kDropout);
    heard.after = speakers.toneLevelDb(back + 400 * kMs, back + 800 * kMs, kTimedTone, kDropout);
    heard.duringGlide = speakers.toneLevelDb(armed + 100 * kMs, started, kImmediateTone, kDropout);
    heard.afterImmediate =
        speakers.toneLevelDb(stopAt + 500 * kMs, halfBack, kImmediateTone, kDropout);
    // The threshold stays clear of what the gliding programme spreads over other frequencies.
    const qint64 firstImmediate = speakers.firstToneNs(armed, kImmediateTone, -45.0);
    if (firstImmediate > 0) {
        heard.glideDoneToHeard = firstImmediate - glideDone;
        heard.startToHeard = firstImmediate - started;
    }
}

}  // namespace

// A timed programme at volume 100 and immediate play on the real sink: the programme glides
// down to level 40 while immediate play sounds, and back up after it.
TEST(DuckingRealTime, TimedPlayGlidesDownForImmediatePlayAndBackAfterIt) {
    const HeardDucking heard = measureWhole([] {
        HeardDucking h;
        duckForImmediatePlay(h);
        return h;
    });
    ASSERT_FALSE(::testing::Test::HasFatalFailure());
    ASSERT_TRUE(conclusive(heard));
    std::printf(
        "timed tone: %.2f dB before, %.2f dB ducked (%.2f dB down), %.2f dB midway back, "
        "%.2f dB after\n",
        heard.before, heard.ducked, heard.before - heard.ducked, heard.midway, heard.after);
    EXPECT_GT(heard.before, -25.0) << "the programme was heard";
    EXPECT_NEAR(heard.before - heard.ducked, 19.9, 0.7);
    EXPECT_GT(heard.midway, heard.ducked + 3.0);
    EXPECT_LT(heard.midway, heard.before - 3.0);
    EXPECT_NEAR(heard.after, heard.before, 0.5);

    // The immediate track is heard only once the glide is over, as soon as its file is open.
    std::printf(
        "immediate tone %.2f dB during the glide, heard %.0f ms after the glide's last tick\n",
        heard.duringGlide, heard.glideDoneToHeard / 1e6);
    EXPECT_LT(heard.duringGlide, -55.0);
    EXPECT_GE(heard.glideDoneToHeard, 0);
    EXPECT_GE(heard.startToHeard, 0);
    EXPECT_LE(heard.startToHeard, kHeardWithinNs);
    EXPECT_LT(heard.afterImmediate, -60.0);
}
