#include <gtest/gtest.h>
#include <QPushButton>
#include <QSlider>
#include <cmath>

#include "audio/duration_probe.h"
#include "audio/engine_checks.h"
#include "audio/gst_support.h"
#include "audio/output_devices.h"
#include "core/immediate/immediate_file.h"
#include "core/playback/volume_scale.h"
#include "core/timed/run_engine.h"
#include "helpers/recording_checks.h"
#include "helpers/temp_folder.h"
#include "helpers/tone_files.h"
#include "helpers/ui_helpers.h"
#include "ui/immediate/immediate_page.h"
#include "ui/immediate/limit_dialog.h"

namespace {

constexpr qint64 kTicksPerMs = 1'000'000;
constexpr double kTone = 882.0;

class NoReports : public TimedEventReporter {
  public:
    void reportTimedEvent(const LocalDateTime&, const QString&) override {}
};

// What the speakers played around a drag of the volume slider from 80 to 40.
struct HeardDrag {
    double before = 0.0;         // the tone's level at volume 80
    double after = 0.0;          // and at 40
    std::vector<double> slices;  // its level in 10 ms slices from 100 ms before the drag
    double lostMs = 0.0;         // what the recorder missed of those windows
    double droppedMs = 0.0;      // and where the track fell silent (left out of the levels)
};

void dragWhilePlaying(HeardDrag& heard) {
    ASSERT_TRUE(initAudioEngine());
    ASSERT_TRUE(listOutputDevices().contains(QStringLiteral("KB-Speakers")))
        << "needs the test sound server (scripts/with-test-services.sh)";
    RecordedMessages messages;
    TempFolder data;
    SystemClock clock;
    GstAudioBackend backend;
    NoReports reports;
    SystemSettings settings = firstRunSettings();
    setOutputDeviceName(settings, QStringLiteral("KB-Speakers"));
    warmUpAudioEngine();
    RunEngine runs(clock, backend, reports, settings);
    ImmediateStore store(data.path(), data.path());
    PlaylistModel playlist(store.settings());
    ImmediatePlayer player({clock, backend, store, playlist, settings, runs.ducking()});
    playlist.append({makePlaylistEntry(toneFile(QStringLiteral("wav"), 20.0, 882), -1)});
    int saves = 0;
    QObject::connect(&store, &ImmediateStore::saved, [&] { ++saves; });
    const AppPaths paths = AppPaths::forFolders(data.path(), data.path());
    ImmediatePage page({store, playlist, player, probeDurationMs, paths});
    page.resize(1000, 700);
    page.show();

    SinkRecorder speakers(QStringLiteral("kb_speakers"));
    ASSERT_TRUE(speakers.start());
    whenModal([](QWidget* dialog) { static_cast<LimitDialog*>(dialog)->accept(); });
    page.startButton()->click();
    for (int i = 0; i < 100 && !player.hasAudio(); ++i) {
        pumpEvents(20);
    }
    ASSERT_TRUE(player.hasAudio());
    pumpEvents(800);
    saves = 0;
    QSlider* slider = page.volumeSlider();
    ASSERT_EQ(slider->value(), 80);
    const qint64 moved = monotonicNs();
    slider->setSliderDown(true);
    slider->setSliderPosition(40);
    // The ramp runs as the slider moves; on a busy machine it takes longer than its 234 ms.
    const qint64 ramped = monotonicNs();
    EXPECT_EQ(saves, 0) << "nothing is written while the slider is held";
    pumpEvents(400);
    slider->setSliderDown(false);
    EXPECT_EQ(saves, 1);
    pumpEvents(600);
    page.stopButton()->click();

    // What the player has taken in is heard up to the sink's buffer later: 400 ms after the
    // ramp the new level is steady.
    const qint64 from = moved - 500 * kTicksPerMs;
    const qint64 to = ramped + 800 * kTicksPerMs;
    heard.lostMs = speakers.lostMs(from, to);
    heard.droppedMs = speakers.silentMs(from, to);
    // The track sounds throughout: silence in it is a dropout, left out of the levels.
    const auto dropout = SinkRecorder::Silence::IsDropout;
    heard.before = speakers.toneLevelDb(from, moved - 100 * kTicksPerMs, kTone, dropout);
    heard.after = speakers.toneLevelDb(ramped + 400 * kTicksPerMs, to, kTone, dropout);
    for (qint64 t = moved - 100 * kTicksPerMs; t < ramped + 700 * kTicksPerMs;
         t += 10 * kTicksPerMs) {
        heard.slices.push_back(speakers.toneLevelDb(t, t + 10 * kTicksPerMs, kTone, dropout));
    }
    ImmediateSettings saved;
    QString message;
    ASSERT_TRUE(loadImmediateSettings(data.path(), QString(), saved, message));
    EXPECT_EQ(saved.volume, 40);
    EXPECT_TRUE(messages.shown.isEmpty()) << messages.last().toStdString();
}

}  // namespace

// Dragging the volume slider while a track plays glides the sound to the new level, one unit
// at a time, and writes the file once, when the slider is let go.
TEST(VolumeSliderRealTime, DragRampsThePlayingTrackAndSavesOnRelease) {
    const HeardDrag heard = measureWhole([] {
        HeardDrag h;
        dragWhilePlaying(h);
        return h;
    });
    ASSERT_FALSE(::testing::Test::HasFatalFailure());
    ASSERT_TRUE(conclusive(heard));
    std::printf("tone %.2f dB at volume 80, %.2f dB at 40 (%.2f dB down)\n", heard.before,
                heard.after, heard.before - heard.after);
    EXPECT_NEAR(heard.before - heard.after,
                (volumeToAttenuation(80) - volumeToAttenuation(40)) / 100.0, 0.5);
    // A ramp, not a step: the level falls in 10 ms slices without coming back up, and it takes
    // most of the ramp's 234 ms to get from 1 dB below the old level to 1 dB above the new one.
    int leftOld = -1;
    int reachedNew = -1;
    double lowest = heard.before;
    for (int i = 0; i < static_cast<int>(heard.slices.size()); ++i) {
        const double level = heard.slices[static_cast<size_t>(i)];
        if (std::isnan(level)) {
            continue;  // a dropout
        }
        EXPECT_LT(level, lowest + 0.5) << "back up at " << i * 10 - 100 << " ms";
        lowest = std::min(lowest, level);
        if (leftOld < 0 && level < heard.before - 1.0) {
            leftOld = i;
        }
        if (reachedNew < 0 && level < heard.after + 1.0) {
            reachedNew = i;
        }
    }
    ASSERT_GE(leftOld, 0);
    ASSERT_GE(reachedNew, 0);
    std::printf(
        "the level took %d ms to fall from 1 dB below the old level to 1 dB above the new one\n",
        (reachedNew - leftOld) * 10);
    EXPECT_GE(reachedNew - leftOld, 12);
}
