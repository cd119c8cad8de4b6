#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <cmath>

#include "audio/audio_graph.h"
#include "audio/audio_player.h"
#include "audio/duration_probe.h"
#include "audio/gst_support.h"
#include "audio/output_devices.h"
#include "core/playback/volume_scale.h"
#include "core/settings/system_settings.h"
#include "helpers/desktop_session.h"
#include "helpers/sink_recorder.h"
#include "helpers/temp_folder.h"
#include "helpers/temporary_sink.h"
#include "helpers/test_environment.h"
#include "helpers/tone_files.h"

namespace {

// Keeps the events a player emits.
struct EventLog {
    explicit EventLog(MediaPlayer& player) {
        QObject::connect(&player, &MediaPlayer::eventOccurred,
                         [this](const PlayerEvent& e) { events.push_back(e); });
    }
    bool has(int code) const {
        return std::any_of(events.begin(), events.end(),
                           [code](const PlayerEvent& e) { return e.code == code; });
    }
    bool hasDeviceFailure() const {
        return std::any_of(events.begin(), events.end(),
                           [](const PlayerEvent& e) { return e.isDeviceFailure(); });
    }
    std::vector<PlayerEvent> events;
};

void pump(int ms) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(2);
    }
}

bool waitForEnd(MediaPlayer& player, int timeoutMs) {
    QElapsedTimer timer;
    timer.start();
    while (!player.isAtEnd()) {
        if (timer.elapsed() > timeoutMs) {
            return false;
        }
        pump(10);
    }
    return true;
}

class AudioPlayerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(soundServerReady());
        ASSERT_TRUE(initAudioEngine());
        ASSERT_TRUE(listOutputDevices().contains(QStringLiteral("KB-Speakers")))
            << listOutputDevices().join(u',').toStdString();
    }
};

}  // namespace

TEST_F(AudioPlayerTest, EveryFormatOpensKnowsItsLengthAndPlaysToTheEnd) {
    const QStringList formats = encodableExtensions();
    ASSERT_GE(formats.size(), 13) << formats.join(u',').toStdString();
    for (const QString& ext : formats) {
        SCOPED_TRACE(ext.toStdString());
        const QString file = toneFile(ext, 1.5);
        AudioPlayer player;
        EventLog owner(player);
        ASSERT_EQ(player.open(file, QStringLiteral("KB-Speakers")), 0)
            << player.lastErrorText().toStdString();
        EXPECT_NEAR(player.getDurationMs(), 1500, 50);
        EXPECT_NEAR(probeDurationMs(file), 1500, 50);
        player.setVolume(volumeToAttenuation(50));
        QElapsedTimer timer;
        timer.start();
        ASSERT_EQ(player.run(), 0);
        EXPECT_TRUE(waitForEnd(player, 5000));
        EXPECT_GT(timer.elapsed(), 1300);
        pump(50);
        EXPECT_TRUE(owner.has(kEventComplete)) << "the end reaches the owner";
        player.stop();
        player.close();
    }
    EXPECT_EQ(liveAudioGraphs(), 0);
}

TEST_F(AudioPlayerTest, EveryFormatSeeksInTheFileItOpened) {
    for (const QString& ext : encodableExtensions()) {
        SCOPED_TRACE(ext.toStdString());
        AudioPlayer player;
        ASSERT_EQ(player.open(toneFile(ext, 1.5), QStringLiteral("KB-Speakers")), 0)
            << player.lastErrorText().toStdString();
        player.setVolume(kSilentAttenuation);
        ASSERT_EQ(player.run(), 0);
        player.seekMs(1000);
        EXPECT_NEAR(player.getPositionMs(), 1000, 150);
        EXPECT_FALSE(player.isAtEnd());
        player.seekMs(200);
        EXPECT_NEAR(player.getPositionMs(), 200, 150);
        player.seekMs(5000);
        EXPECT_TRUE(player.isAtEnd());
        EXPECT_NEAR(player.getDurationMs(), 1500, 50);
        player.stop();
        player.close();
    }
    EXPECT_EQ(liveAudioGraphs(), 0);
}

TEST_F(AudioPlayerTest, PipesDevicesAndBadNamesAreRefusedAtOnce) {
    HangGuard guard(60);
    TempFolder dir;
    const QString pipe = dir.file(QStringLiteral("pipe.mp3"));
    ASSERT_TRUE(makeFifo(pipe));
    const QString zero = dir.file(QStringLiteral("z.wav"));
    ASSERT_TRUE(makeLink(QStringLiteral("/dev/zero"), zero));
    for (const QString& path : {pipe, zero}) {
        AudioPlayer player;
        EXPECT_EQ(player.open(path, kDefaultDeviceName), kErrorFileNotFound);
        EXPECT_FALSE(player.isOpened());
        EXPECT_EQ(probeDurationMs(path), -1);
    }
    const QString gbk = writeRawNamed(dir.path(), "\xc1\xe5\xc9\xf9.wav",
                                      readBytes(toneFile(QStringLiteral("wav"))));
    AudioPlayer player;
    EXPECT_EQ(player.open(gbk, kDefaultDeviceName), kErrorFileNotFound);
    EXPECT_EQ(player.lastErrorText(), QStringLiteral("文件名不是有效的UTF-8编码, 请改名"));
    EXPECT_EQ(probeDurationMs(gbk), -1);
    EXPECT_EQ(liveAudioGraphs(), 0);
}

TEST_F(AudioPlayerTest, VolumeFiftyIsFifteenDecibelsBelowVolumeHundred) {
    SinkRecorder recorder(QStringLiteral("kb_speakers"));
    ASSERT_TRUE(recorder.start());
    AudioPlayer player;
    ASSERT_EQ(player.open(toneFile(QStringLiteral("wav"), 3.0), kDefaultDeviceName), 0);
    player.setVolume(volumeToAttenuation(100));
    ASSERT_EQ(player.run(), 0);
    QThread::msleep(1200);
    const qint64 switched = monotonicNs();
    player.setVolume(volumeToAttenuation(50));
    QThread::msleep(1300);
    const double full = recorder.levelDb(switched - 800'000'000, switched - 200'000'000);
    const double half = recorder.levelDb(switched + 300'000'000, switched + 1'000'000'000);
    player.stop();
    player.close();
    EXPECT_GT(full, -30.0);
    EXPECT_NEAR(full - half, 15.05, 0.5) << "full " << full << " half " << half;
}

TEST_F(AudioPlayerTest, RecordedFadeInRisesWithoutAStepBack) {
    SinkRecorder recorder(QStringLiteral("kb_speakers"));
    ASSERT_TRUE(recorder.start());
    AudioPlayer player;
    // 2205 Hz repeats every 20 samples, so 100-sample windows measure the level exactly.
    ASSERT_EQ(player.open(toneFile(QStringLiteral("wav"), 2.0, 2205), kDefaultDeviceName), 0);
    player.setVolume(kSilentAttenuation);
    ASSERT_EQ(player.run(), 0);
    QThread::msleep(400);
    const qint64 fadeStart = monotonicNs();
    SystemClock clock;
    fadeIn(player, 100.0, clock);
    QThread::msleep(400);
    player.stop();
    player.close();

    const std::vector<qint16> samples = recorder.samples();
    const qint64 first = recorder.firstSoundNs(fadeStart - 100'000'000, -70.0);
    ASSERT_GT(first, 0);
    EXPECT_GT(first, fadeStart) << "nothing is heard before the fade begins";
    EXPECT_LT(first - fadeStart, 1'000'000'000) << "the first step is heard";
    const qint64 begin = (first - recorder.startTimeNs()) * SinkRecorder::kRate / 1'000'000'000LL;
    double previous = -200.0;
    double top = -200.0;
    int windows = 0;
    for (qint64 i = begin; i + 100 <= static_cast<qint64>(samples.size()) && windows < 80;
         i += 100, ++windows) {
        const double level = levelDb(samples.data() + i, 100);
        EXPECT_GE(level, previous - 0.3) << "step back at window " << windows;
        previous = std::max(previous, level);
        top = std::max(top, level);
    }
    // It reaches the full level after about 120 ms.
    const double plateau = recorder.levelDb(first + 250'000'000, first + 350'000'000);
    EXPECT_NEAR(top, plateau, 0.5);
    EXPECT_LT(recorder.levelDb(first, first + 40'000'000), plateau - 6.0);
}

TEST_F(AudioPlayerTest, SeeksAreClampedToTheFile) {
    AudioPlayer player;
    ASSERT_EQ(player.open(toneFile(QStringLiteral("flac"), 2.0), kDefaultDeviceName), 0);
    player.setVolume(kSilentAttenuation);
    ASSERT_EQ(player.run(), 0);
    QThread::msleep(300);
    player.seekMs(-5);
    EXPECT_LT(player.getPositionMs(), 150);
    EXPECT_FALSE(player.isAtEnd());
    player.seekMs(1000);
    EXPECT_NEAR(player.getPositionMs(), 1000, 150);
    player.seekMs(player.getDurationMs() + 5000);
    EXPECT_TRUE(player.isAtEnd());
    EXPECT_NEAR(player.getPositionMs(), 2000, 100);
    player.stop();
    player.close();
}

TEST_F(AudioPlayerTest, FoldersAndMissingFilesAreFileNotFound) {
    QTemporaryDir folder;
    AudioPlayer player;
    EXPECT_EQ(player.open(folder.path(), kDefaultDeviceName), kErrorFileNotFound);
    AudioPlayer other;
    EXPECT_EQ(other.open(folder.path() + QStringLiteral("/none.mp3"), kDefaultDeviceName),
              kErrorFileNotFound);
    EXPECT_EQ(liveAudioGraphs(), 0);
    other.close();  // nothing to do after a failed open
}

TEST_F(AudioPlayerTest, BrokenFileFailsWithTheFrameworksWords) {
    QTemporaryDir folder;
    const QString path = folder.path() + QStringLiteral("/broken.mp3");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(4096, 'x'));
    file.close();
    AudioPlayer player;
    const qint32 code = player.open(path, kDefaultDeviceName);
    EXPECT_LT(code, 0);
    EXPECT_NE(code, kErrorNoAudioDevice);
    EXPECT_FALSE(player.lastErrorText().isEmpty());
    EXPECT_EQ(probeDurationMs(path), -1);
    EXPECT_EQ(liveAudioGraphs(), 0);
}

TEST_F(AudioPlayerTest, NamedDevicePlaysOnlyThereAndUnknownNamesFallBack) {
    SinkRecorder speakers(QStringLiteral("kb_speakers"));
    SinkRecorder hall(QStringLiteral("kb_hall"));
    ASSERT_TRUE(speakers.start());
    ASSERT_TRUE(hall.start());
    const QString file = toneFile(QStringLiteral("wav"), 1.0);
    auto playOn = [&](const QString& device) {
        const qint64 begin = monotonicNs();
        AudioPlayer player;
        EXPECT_EQ(player.open(file, device), 0);
        player.setVolume(0);
        player.run();
        EXPECT_TRUE(waitForEnd(player, 4000))
            << "the player never came to its end on " << device.toStdString();
        QThread::msleep(100);
        player.close();
        return begin;
    };
    // The second of tone is measured back from its end: a first player in a slow (sanitized)
    // build may take most of a second from its first sound to running.
    const auto heardOn = [](const SinkRecorder& sink) {
        const qint64 last = sink.lastSoundNs();
        return last < 0 ? -200.0
                        : sink.levelDb(last - 700'000'000, last - 200'000'000,
                                       SinkRecorder::Silence::IsDropout);
    };
    const qint64 toHall = playOn(QStringLiteral("kb-hall"));
    const qint64 toSpeakers = monotonicNs();
    EXPECT_GT(heardOn(hall), -30.0);
    EXPECT_LT(speakers.levelDb(toHall, toSpeakers), -80.0);
    const qint64 unknown = playOn(QStringLiteral("No Such Device"));
    EXPECT_GT(heardOn(speakers), -30.0);
    EXPECT_LT(hall.levelDb(unknown, monotonicNs()), -80.0);
}

TEST_F(AudioPlayerTest, NullRendererIsSilentAndTakesTheFilesLength) {
    SinkRecorder speakers(QStringLiteral("kb_speakers"));
    ASSERT_TRUE(speakers.start());
    const qint64 begin = monotonicNs();
    AudioPlayer player;
    ASSERT_EQ(player.open(toneFile(QStringLiteral("mp3"), 1.5), QStringLiteral("nULLrENDERER")), 0);
    player.setVolume(0);
    QElapsedTimer timer;
    timer.start();
    ASSERT_EQ(player.run(), 0);
    ASSERT_TRUE(waitForEnd(player, 5000));
    EXPECT_GT(timer.elapsed(), 1400);
    player.close();
    EXPECT_LT(speakers.levelDb(begin, monotonicNs()), -80.0);
}

// Runs in a process of its own whose sound server has no output at all (see below).
TEST(AudioPlayerNoSink, DISABLED_NoAudioDeviceAndNothingLeftBehind) {
    ASSERT_TRUE(initAudioEngine());
    EXPECT_TRUE(listOutputDevices().isEmpty()) << listOutputDevices().join(u',').toStdString();
    const QString file = toneFile(QStringLiteral("wav"), 1.0);
    AudioPlayer byDefault;
    EXPECT_EQ(byDefault.open(file, kDefaultDeviceName), kErrorNoAudioDevice)
        << byDefault.lastErrorText().toStdString();
    AudioPlayer byName;
    EXPECT_EQ(byName.open(file, QStringLiteral("KB-Hall")), kErrorNoAudioDevice);
    EXPECT_FALSE(byName.isOpened());
    EXPECT_EQ(liveAudioGraphs(), 0);
}

namespace {

// A sound server of the test's own on `socket`, with the modules given (no output when none).
bool startPrivateServer(QProcess& server, const QString& socket, const QStringList& modules) {
    // A second server must not compete with the first for its name on the session bus.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
    server.setProcessEnvironment(env);
    QStringList args{QStringLiteral("-n"),
                     QStringLiteral("--daemonize=no"),
                     QStringLiteral("--exit-idle-time=-1"),
                     QStringLiteral("--use-pid-file=no"),
                     QStringLiteral("--disable-shm=yes"),
                     QStringLiteral("-L"),
                     QStringLiteral("module-native-protocol-unix socket=%1").arg(socket)};
    for (const QString& module : modules) {
        args << QStringLiteral("-L") << module;
    }
    server.start(QStringLiteral("pulseaudio"), args);
    if (!server.waitForStarted(5000)) {
        return false;
    }
    for (int i = 0; i < 100 && !QFile::exists(socket); ++i) {
        QThread::msleep(50);
    }
    return QFile::exists(socket);
}

}  // namespace

TEST_F(AudioPlayerTest, NoSinkAtAllIsNoAudioDeviceAndLeavesNothingBehind) {
    QTemporaryDir runtime;
    const QString socket = runtime.path() + QStringLiteral("/native");
    QProcess server;
    ASSERT_TRUE(startPrivateServer(server, socket, {}));
    // The program's outputs are followed as long as the process lives, so the check runs in
    // a new one.
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("PULSE_SERVER"), QStringLiteral("unix:") + socket);
    child.setProcessEnvironment(env);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--gtest_filter=AudioPlayerNoSink.*"),
                 QStringLiteral("--gtest_also_run_disabled_tests")});
    ASSERT_TRUE(child.waitForFinished(30000));
    EXPECT_EQ(child.exitCode(), 0) << child.readAllStandardOutput().toStdString();
    server.terminate();
    server.waitForFinished(3000);
}

// A sound server restarted under the program (an update, a desktop that restarts it): its
// outputs are listed again without restarting the program.
TEST(SoundServerDevices, OutputsAreListedAgainWhenTheServerComesBack) {
    QTemporaryDir runtime;
    const QString socket = runtime.path() + QStringLiteral("/native");
    const QStringList sink{QStringLiteral(
        "module-null-sink sink_name=kb_back sink_properties=device.description=KB-Back")};
    QProcess server;
    ASSERT_TRUE(startPrivateServer(server, socket, sink));
    const QByteArray before = qgetenv("PULSE_SERVER");
    qputenv("PULSE_SERVER", (QStringLiteral("unix:") + socket).toUtf8());
    {
        OutputDevices devices;
        const auto listed = [&] { return devices.names() == QStringList{"KB-Back"}; };
        EXPECT_TRUE(waitUntil(listed, 5000)) << devices.names().join(u',').toStdString();
        EXPECT_EQ(devices.defaultOutputName(), QStringLiteral("KB-Back"));
        server.terminate();
        server.waitForFinished(5000);
        EXPECT_TRUE(waitUntil([&] { return devices.names().isEmpty(); }, 5000));
        ASSERT_TRUE(startPrivateServer(server, socket, sink));
        EXPECT_TRUE(waitUntil(listed, 10000)) << "not listed again once the server was back";
    }
    if (before.isNull()) {
        qunsetenv("PULSE_SERVER");
    } else {
        qputenv("PULSE_SERVER", before);
    }
    server.terminate();
    server.waitForFinished(3000);
}

TEST_F(AudioPlayerTest, UnloadingTheSinkWhilePlayingGivesTheDeviceEvent) {
    TemporarySink temp(QStringLiteral("kb_temp"), QStringLiteral("KB-Temp"));
    ASSERT_TRUE(temp.loaded());
    // The program hears of the new output by itself.
    ASSERT_TRUE(temp.waitUntilListed());

    AudioPlayer player;
    EventLog owner(player);
    ASSERT_EQ(player.open(toneFile(QStringLiteral("wav"), 6.0), QStringLiteral("KB-Temp")), 0);
    player.setVolume(0);
    ASSERT_EQ(player.run(), 0);
    pump(500);
    SinkRecorder speakers(QStringLiteral("kb_speakers"));
    ASSERT_TRUE(speakers.start());
    temp.unload();
    const qint64 unloaded = monotonicNs();
    QElapsedTimer timer;
    timer.start();
    while (!owner.hasDeviceFailure() && timer.elapsed() < 3000) {
        pump(20);
        player.isAtEnd();
    }
    EXPECT_TRUE(owner.hasDeviceFailure());
    while (monotonicNs() < unloaded + 900'000'000) {
        pump(20);
    }
    // Whatever the sound server did with the stream, it did not go on sounding elsewhere: at
    // most what the stream held (40 ms) reaches the output it was moved to. Told by its
    // length, not by its time: a loaded server plays that tail up to 0.3 s after the unload.
    const qint64 moved = speakers.firstSoundNs(speakers.startTimeNs(), -60.0);
    if (moved > 0) {
        EXPECT_LT(speakers.lastSoundNs(-60.0) - moved, 100'000'000)
            << "heard " << (moved - unloaded) / 1'000'000 << " ms after the unload";
    }
    EXPECT_LT(speakers.levelDb(unloaded + 500'000'000, monotonicNs()), -80.0);
    player.stop();
    player.close();
}

namespace {

// Reaches the pipeline, to make it post as a failing element would.
class ProbedPlayer : public AudioPlayer {
  public:
    void postError() {
        GError* error = g_error_new_literal(GST_STREAM_ERROR, GST_STREAM_ERROR_DECODE, "broken");
        gst_element_post_message(pipeline(),
                                 gst_message_new_error(GST_OBJECT(pipeline()), error, nullptr));
        g_error_free(error);
    }
};

}  // namespace

TEST_F(AudioPlayerTest, AFreedPlayersLateErrorReachesNobodyAndSparesTheNextPlayer) {
    const QString file = toneFile(QStringLiteral("wav"), 1.0);
    int reached = 0;
    auto first = std::make_unique<ProbedPlayer>();
    QObject::connect(first.get(), &MediaPlayer::eventOccurred,
                     [&](const PlayerEvent&) { ++reached; });
    ASSERT_EQ(first->open(file, QStringLiteral("KB-Speakers")), 0);
    ASSERT_EQ(first->run(), 0);
    // The error is on its way to the player's thread when the owner tears the player down.
    first->postError();
    first->stop();
    first->close();
    first.reset();

    ProbedPlayer next;
    EventLog log(next);
    ASSERT_EQ(next.open(file, QStringLiteral("KB-Speakers")), 0);
    next.setVolume(0);
    ASSERT_EQ(next.run(), 0);
    ASSERT_TRUE(waitForEnd(next, 5000));
    pump(100);
    EXPECT_EQ(reached, 0);
    EXPECT_FALSE(std::any_of(log.events.begin(), log.events.end(),
                             [](const PlayerEvent& e) { return e.isFailure(); }));
    EXPECT_TRUE(log.has(kEventComplete));

    // Closed but not yet freed: the same holds.
    ProbedPlayer closing;
    EventLog closed(closing);
    ASSERT_EQ(closing.open(file, QStringLiteral("KB-Speakers")), 0);
    closing.postError();
    closing.close();
    pump(100);
    EXPECT_TRUE(closed.events.empty());
}
