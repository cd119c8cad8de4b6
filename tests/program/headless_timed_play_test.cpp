#include <gtest/gtest.h>
#include <unistd.h>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <csignal>
#include <random>

#include "audio/gst_support.h"
#include "audio/output_devices.h"
#include "core/timed/programme_file.h"
#include "helpers/program_runner.h"
#include "helpers/sink_recorder.h"
#include "helpers/temp_folder.h"
#include "helpers/temporary_sink.h"
#include "helpers/test_environment.h"
#include "helpers/tone_files.h"

namespace {

ClockTime clockTimeIn(int seconds) {
    const QTime t = QTime::currentTime().addSecs(seconds);
    return ClockTime{t.hour(), t.minute(), t.second()};
}

// A programme starting a few seconds from now; a folder is played in order, one track.
Programme programmeIn(const QString& name, const QString& path, int seconds, bool folder) {
    Programme p = newProgramme();
    setProgrammeName(p, name);
    setProgrammePath(p, path);
    if (folder) {
        p.singleFile = 0;
        p.sequential = 1;
        p.countByTracks = 1;
        p.trackCount = 1;
    }
    p.startTimes[0] = clockTimeIn(seconds);
    return p;
}

}  // namespace

TEST(HeadlessTimedPlay, PlaysADueProgrammeOnTheConfiguredDeviceAndFadesOnCtrlC) {
    ASSERT_TRUE(soundServerReady());
    ASSERT_TRUE(initAudioEngine());
    ASSERT_TRUE(listOutputDevices().contains(QStringLiteral("KB-Hall")))
        << listOutputDevices().join(u',').toStdString();
    waitUntilTheDateHoldsFor(30);
    ProgramRunner program;
    QString message;
    ASSERT_TRUE(writeDueProgramme(program.dataFolder(), QStringLiteral("课间音乐"),
                                  toneFile(QStringLiteral("ogg"), 20.0), 3,
                                  QStringLiteral("KB-Hall"), message));

    SinkRecorder hall(QStringLiteral("kb_hall"));
    ASSERT_TRUE(hall.start());
    ASSERT_TRUE(program.start({QStringLiteral("--headless")}));
    ASSERT_TRUE(program.waitForOutput(QStringLiteral("课间音乐 ◆ 开始播放"), 10000))
        << program.output().toStdString();
    const qint64 started = monotonicNs();
    QThread::msleep(1500);
    const double full = hall.levelDb(started + 500'000'000, started + 1'400'000'000);
    EXPECT_GT(full, -40.0);
    const qint64 interrupted = monotonicNs();
    EXPECT_EQ(program.stop(SIGINT), 0);
    // Faded out over about 0.3 s, not cut: the level passes through the levels in between
    // (a cut would leave at most a window or two half way down), then silence.
    int between = 0;
    for (qint64 at = interrupted; at < interrupted + 600'000'000; at += 10'000'000) {
        const double level = hall.levelDb(at, at + 10'000'000);
        between += level < full - 2.0 && level > full - 20.0 ? 1 : 0;
    }
    EXPECT_GE(between, 5) << "windows of 10 ms on the way down";
    EXPECT_LT(hall.levelDb(interrupted + 600'000'000, interrupted + 1'000'000'000), -80.0);
    const QStringList lines = program.logLines();
    ASSERT_EQ(lines.size(), 3) << lines.join(u'\n').toStdString();
    EXPECT_TRUE(lines[0].endsWith(QStringLiteral("   软件启动")));
    EXPECT_TRUE(lines[1].endsWith(QStringLiteral("   课间音乐 ◆ 开始播放")));
    EXPECT_TRUE(lines[2].endsWith(QStringLiteral("   软件关闭")));
}

TEST(HeadlessTimedPlay, BrokenMediaFrameworkStopsStartUpWithOnlyTheExitLogged) {
    QTemporaryDir noPlugins;
    ProgramRunner program;
    QProcessEnvironment env = program.environment();
    // A private, empty plugin registry: GStreamer starts but can build no graph.
    env.insert(QStringLiteral("GST_PLUGIN_SYSTEM_PATH_1_0"), noPlugins.path());
    env.insert(QStringLiteral("GST_PLUGIN_PATH_1_0"), noPlugins.path());
    env.insert(QStringLiteral("GST_REGISTRY_1_0"),
               noPlugins.path() + QStringLiteral("/registry.bin"));
    QProcess process;
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(KB_PROGRAM_PATH), {QStringLiteral("--headless")});
    ASSERT_TRUE(process.waitForFinished(20000));
    EXPECT_EQ(process.exitCode(), 1) << "a failed start is a failure to a service manager";
    EXPECT_TRUE(QString::fromUtf8(process.readAllStandardError())
                    .contains(QStringLiteral("系统环境有问题\n( 无法播放音乐 )")));
    const QStringList lines = program.logLines();
    ASSERT_EQ(lines.size(), 1);
    EXPECT_TRUE(lines[0].endsWith(QStringLiteral("   软件关闭")));
}

TEST(HeadlessTimedPlay, MissingDecodersAreNamed) {
    QTemporaryDir somePlugins;
    const QString system = QStringLiteral("/usr/lib/x86_64-linux-gnu/gstreamer-1.0");
    for (const char* plugin :
         {"libgstcoreelements.so", "libgstplayback.so", "libgstaudioconvert.so",
          "libgstaudioresample.so", "libgstvolume.so", "libgsttypefindfunctions.so"}) {
        QFile::link(system + u'/' + QString::fromLatin1(plugin),
                    somePlugins.path() + u'/' + QString::fromLatin1(plugin));
    }
    if (!QFile::exists(somePlugins.path() + QStringLiteral("/libgstcoreelements.so"))) {
        GTEST_SKIP() << "GStreamer plugins are not where Debian puts them";
    }
    ProgramRunner program;
    QProcessEnvironment env = program.environment();
    env.insert(QStringLiteral("GST_PLUGIN_SYSTEM_PATH_1_0"), somePlugins.path());
    env.insert(QStringLiteral("GST_PLUGIN_PATH_1_0"), somePlugins.path());
    env.insert(QStringLiteral("GST_REGISTRY_1_0"),
               somePlugins.path() + QStringLiteral("/registry.bin"));
    QProcess process;
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(KB_PROGRAM_PATH), {QStringLiteral("--headless")});
    ASSERT_TRUE(process.waitForFinished(20000));
    EXPECT_EQ(process.exitCode(), 1);
    const QString errors = QString::fromUtf8(process.readAllStandardError());
    EXPECT_TRUE(errors.contains(QStringLiteral("文件有缺失：\n请从官网下载软件重装")))
        << errors.toStdString();
    EXPECT_TRUE(errors.contains(QStringLiteral("wavparse")));
    EXPECT_TRUE(errors.contains(QStringLiteral("flacdec")));
    EXPECT_EQ(program.logLines().size(), 1);
}

TEST(HeadlessTimedPlay, AnOutputPulledAwayDuringARunIsLoggedAsADeviceFailure) {
    ASSERT_TRUE(soundServerReady());
    ASSERT_TRUE(initAudioEngine());
    TemporarySink amplifier(QStringLiteral("kb_amplifier"), QStringLiteral("KB-Amplifier"));
    ASSERT_TRUE(amplifier.loaded());
    ASSERT_TRUE(amplifier.waitUntilListed());
    waitUntilTheDateHoldsFor(30);
    ProgramRunner program;
    QString message;
    ASSERT_TRUE(writeDueProgramme(program.dataFolder(), QStringLiteral("升旗"),
                                  toneFile(QStringLiteral("wav"), 20.0), 3,
                                  QStringLiteral("KB-Amplifier"), message));

    ASSERT_TRUE(program.start({QStringLiteral("--headless")}));
    ASSERT_TRUE(program.waitForOutput(QStringLiteral("升旗 ◆ 开始播放"), 10000))
        << program.output().toStdString();
    QThread::msleep(500);
    amplifier.unload();
    // From the real player through the engine into the play log.
    ASSERT_TRUE(program.waitForOutput(QStringLiteral("升旗 ◆ 播放异常 ◆ 音频设备失效"), 5000))
        << program.output().toStdString();
    EXPECT_EQ(program.stop(SIGINT), 0);
    const QStringList lines = program.logLines();
    ASSERT_EQ(lines.size(), 4) << lines.join(u'\n').toStdString();
    EXPECT_TRUE(lines[2].contains(QStringLiteral("升旗 ◆ 播放异常 ◆ 音频设备失效")));
}

TEST(HeadlessTimedPlay, PipesAndDevicesAmongTheMusicNeverStopTheClock) {
    ASSERT_TRUE(soundServerReady());
    ASSERT_TRUE(initAudioEngine());
    waitUntilTheDateHoldsFor(60);
    TempFolder music;
    const QString pipe = music.file(QStringLiteral("pipe.mp3"));
    ASSERT_TRUE(makeFifo(pipe));
    const QString folder = music.file(QStringLiteral("课间"));
    ASSERT_TRUE(QDir().mkpath(folder));
    ASSERT_TRUE(makeFifo(folder + QStringLiteral("/a-pipe.mp3")));
    ASSERT_TRUE(makeLink(QStringLiteral("/dev/zero"), folder + QStringLiteral("/z.wav")));
    ASSERT_TRUE(
        QFile::copy(toneFile(QStringLiteral("wav"), 1.0), folder + QStringLiteral("/good.wav")));

    ProgramRunner program;
    ProgrammeTable table;
    table.append(programmeIn(QStringLiteral("管道"), pipe, 3, false));
    table.append(programmeIn(QStringLiteral("文件夹"), folder, 5, true));
    QString message;
    ASSERT_TRUE(saveProgrammes(program.dataFolder(), table, true, message));

    ASSERT_TRUE(program.start({QStringLiteral("--headless")}));
    EXPECT_TRUE(program.waitForOutput(QStringLiteral("管道 ◆ 音乐文件不存在 ◆ ") + pipe, 15000))
        << program.output().toStdString();
    EXPECT_TRUE(program.waitForOutput(QStringLiteral("文件夹 ◆ 开始播放 ◆ good.wav"), 15000))
        << program.output().toStdString();
    EXPECT_TRUE(program.waitForOutput(QStringLiteral("文件夹 ◆ 播放结束"), 15000))
        << program.output().toStdString();
    EXPECT_EQ(program.stop(SIGINT), 0);
    const QStringList lines = program.logLines();
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_TRUE(lines.last().endsWith(QStringLiteral("   软件关闭")));
    EXPECT_FALSE(lines.join(u'\n').contains(QStringLiteral("z.wav")));

    // The sound-checking commands return at once too.
    QProcess probe;
    probe.setProcessEnvironment(program.environment());
    probe.start(QStringLiteral(KB_PROGRAM_PATH), {QStringLiteral("--probe"), pipe});
    ASSERT_TRUE(probe.waitForFinished(20000));
    EXPECT_EQ(QString::fromUtf8(probe.readAllStandardOutput()),
              QStringLiteral("-1\t%1\n").arg(pipe));
    QProcess play;
    play.setProcessEnvironment(program.environment());
    play.start(QStringLiteral(KB_PROGRAM_PATH), {QStringLiteral("--play"), pipe});
    ASSERT_TRUE(play.waitForFinished(20000));
    EXPECT_EQ(play.exitCode(), 1);
    EXPECT_TRUE(
        QString::fromUtf8(play.readAllStandardError()).contains(QStringLiteral("\n0x80070002\t")));
}

TEST(HeadlessTimedPlay, AnInOrderRunOfALargeFolderStartsWithTheFirstName) {
    ASSERT_TRUE(soundServerReady());
    ASSERT_TRUE(initAudioEngine());
    waitUntilTheDateHoldsFor(30);
    TempFolder music;
    const QString tone = toneFile(QStringLiteral("wav"), 0.5);
    std::mt19937 random(2000);
    QStringList names;
    while (names.size() < 2000) {
        const QString name =
            QStringLiteral("%1 铃声.wav").arg(random() % 1000000, 6, 10, QLatin1Char('0'));
        if (!names.contains(name)) {
            names.append(name);
            // Links of one file: 2,000 names, one file's room.
            ASSERT_EQ(::link(QFile::encodeName(tone).constData(),
                             QFile::encodeName(music.file(name)).constData()),
                      0);
        }
    }
    const QString first = *std::min_element(names.begin(), names.end());

    ProgramRunner program;
    ProgrammeTable table;
    table.append(programmeIn(QStringLiteral("大文件夹"), music.path(), 3, true));
    QString message;
    ASSERT_TRUE(saveProgrammes(program.dataFolder(), table, true, message));
    ASSERT_TRUE(program.start({QStringLiteral("--headless")}));
    EXPECT_TRUE(program.waitForOutput(QStringLiteral("大文件夹 ◆ 开始播放 ◆ "), 15000));
    EXPECT_TRUE(program.output().contains(QStringLiteral("大文件夹 ◆ 开始播放 ◆ ") + first))
        << "expected " << first.toStdString() << "\n"
        << program.output().toStdString();
    EXPECT_EQ(program.stop(SIGINT), 0);
}
