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
#include "audio/tone_files.h"
#include "support/program_runner.h"
#include "timed/programme_file.h"

TEST(HeadlessTimedPlay, PlaysADueProgrammeOnTheConfiguredDeviceAndFadesOnCtrlC) {
    if (!initAudioEngine() || !listOutputDevices().contains(QStringLiteral("KB-Hall"))) {
        GTEST_SKIP() << "needs the test sound server (scripts/with-test-services.sh)";
    }
    if (QTime::currentTime() > QTime(23, 59, 30)) {
        GTEST_SKIP() << "too close to midnight for a start a few seconds ahead";
    }
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
    EXPECT_GT(hall.levelDb(started + 500'000'000, started + 1'400'000'000), -40.0);
    const qint64 interrupted = monotonicNs();
    EXPECT_EQ(program.stop(SIGINT), 0);
    QThread::msleep(300);
    // Faded out over about 0.3 s, then silent.
    EXPECT_LT(hall.levelDb(interrupted + 450'000'000, monotonicNs()), -80.0);
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
