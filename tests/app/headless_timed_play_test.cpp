#include <gtest/gtest.h>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <csignal>

#include "audio/gst_support.h"
#include "audio/output_devices.h"
#include "audio/sink_recorder.h"
#include "audio/temporary_sink.h"
#include "audio/tone_files.h"
#include "support/program_runner.h"
#include "support/test_environment.h"
#include "timed/programme_file.h"

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
