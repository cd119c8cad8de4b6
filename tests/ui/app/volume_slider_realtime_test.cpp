#include <gtest/gtest.h>
#include <QPushButton>
#include <QSlider>

#include "audio/duration_probe.h"
#include "audio/engine_checks.h"
#include "audio/gst_support.h"
#include "audio/output_devices.h"
#include "core/immediate/immediate_file.h"
#include "core/playback/volume_scale.h"
#include "core/timed/run_engine.h"
#include "helpers/sink_recorder.h"
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

}  // namespace

// Dragging the volume slider while a track plays glides the sound to the new level, one unit
// at a time, and writes the file once, when the slider is let go.
TEST(VolumeSliderRealTime, DragRampsThePlayingTrackAndSavesOnRelease) {
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
    EXPECT_EQ(saves, 0) << "nothing is written while the slider is held";
    pumpEvents(400);
    slider->setSliderDown(false);
    EXPECT_EQ(saves, 1);
    pumpEvents(600);
    page.stopButton()->click();

    const double before =
        speakers.toneLevelDb(moved - 500 * kTicksPerMs, moved - 100 * kTicksPerMs, kTone);
    const double after =
        speakers.toneLevelDb(moved + 400 * kTicksPerMs, moved + 800 * kTicksPerMs, kTone);
    std::printf("tone %.2f dB at volume 80, %.2f dB at 40 (%.2f dB down)\n", before, after,
                before - after);
    EXPECT_NEAR(before - after, (volumeToAttenuation(80) - volumeToAttenuation(40)) / 100.0, 0.5);
    // A ramp, not a step: the level falls in 10 ms slices without coming back up, and it takes
    // most of the ramp's 234 ms to get from 1 dB below the old level to 1 dB above the new one.
    qint64 leftOld = -1;
    qint64 reachedNew = -1;
    double lowest = before;
    for (qint64 t = moved - 100 * kTicksPerMs; t < moved + 700 * kTicksPerMs;
         t += 10 * kTicksPerMs) {
        const double level = speakers.toneLevelDb(t, t + 10 * kTicksPerMs, kTone);
        EXPECT_LT(level, lowest + 0.5) << "back up at " << (t - moved) / kTicksPerMs << " ms";
        lowest = std::min(lowest, level);
        if (leftOld < 0 && level < before - 1.0) {
            leftOld = t;
        }
        if (reachedNew < 0 && level < after + 1.0) {
            reachedNew = t;
        }
    }
    ASSERT_GT(leftOld, 0);
    ASSERT_GT(reachedNew, 0);
    std::printf(
        "the level took %.0f ms to fall from 1 dB below the old level to 1 dB above the "
        "new one\n",
        (reachedNew - leftOld) / 1e6);
    EXPECT_GE(reachedNew - leftOld, 120 * kTicksPerMs);
    ImmediateSettings saved;
    QString message;
    ASSERT_TRUE(loadImmediateSettings(data.path(), QString(), saved, message));
    EXPECT_EQ(saved.volume, 40);
    EXPECT_TRUE(messages.shown.isEmpty()) << messages.last().toStdString();
}
