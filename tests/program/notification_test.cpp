#include <gtest/gtest.h>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>
#include <QTime>
#include <csignal>

#include "audio/gst_support.h"
#include "core/settings/settings_file.h"
#include "core/timed/programme_file.h"
#include "helpers/desktop_session.h"
#include "helpers/program_runner.h"
#include "helpers/temporary_sink.h"
#include "helpers/test_environment.h"
#include "helpers/tone_files.h"

namespace {

ClockTime clockTimeAfter(int seconds) {
    const QTime t = QTime::currentTime().addSecs(seconds);
    return ClockTime{t.hour(), t.minute(), t.second()};
}

// The real program without windows, its timetable one programme, notifications going to the
// stand-in server.
struct NotifiedProgram {
    bool start(const QString& name, const QString& path, int startsInSeconds,
               const QString& device = QString()) {
        if (!desktop.startNotificationServer()) {
            return false;
        }
        ProgrammeTable table;
        Programme p = newProgramme();
        setProgrammeName(p, name);
        setProgrammePath(p, path);
        p.startTimes[0] = clockTimeAfter(startsInSeconds);
        table.append(p);
        QString message;
        if (!saveProgrammes(program.dataFolder(), table, true, message)) {
            return false;
        }
        if (!device.isEmpty()) {
            SystemSettings settings = firstRunSettings();
            setOutputDeviceName(settings, device);
            if (!saveSystemSettings(program.dataFolder(), settings, message)) {
                return false;
            }
        }
        program.addEnvironment(desktop.environment());
        return program.start({QStringLiteral("--headless")}) &&
               program.waitForOutput(QStringLiteral("软件启动"), 10000);
    }
    QStringList notificationsWith(const QString& text) const {
        return desktop.notifications().filter(text);
    }

    DesktopSession desktop;
    ProgramRunner program;
};

}  // namespace

TEST(Notifications, DeletingTheFileOfAProgrammeDueInTwoHoursIsToldOnceWithinSeconds) {
    waitUntilTheDateHoldsFor(30);
    NotifiedProgram n;
    const QString music = toneFolder() + QStringLiteral("/升旗曲.wav");
    QFile::remove(music);
    ASSERT_TRUE(QFile::copy(toneFile(QStringLiteral("wav"), 2.0), music));
    ASSERT_TRUE(n.start(QStringLiteral("升旗"), music, 2 * 3600));
    // The check at start-up finds nothing wrong.
    QThread::msleep(2000);
    EXPECT_TRUE(n.desktop.notifications().isEmpty())
        << n.desktop.notifications().join(u'\n').toStdString();

    ASSERT_TRUE(QFile::remove(music));
    QElapsedTimer sinceDeleted;
    sinceDeleted.start();
    ASSERT_TRUE(
        waitUntil([&] { return !n.notificationsWith(QStringLiteral("升旗")).isEmpty(); }, 10000))
        << n.program.errors().toStdString();
    std::printf("notified %lld ms after the file was deleted\n",
                static_cast<long long>(sinceDeleted.elapsed()));
    const QString told = n.notificationsWith(QStringLiteral("升旗")).first();
    EXPECT_TRUE(told.contains(QStringLiteral("音乐文件不存在"))) << told.toStdString();
    EXPECT_TRUE(told.contains(QStringLiteral("节目将无法播放"))) << told.toStdString();
    // Later checks (a change nearby, the timetable saved again) do not tell it again.
    QFile::copy(toneFile(QStringLiteral("wav"), 2.0), toneFolder() + QStringLiteral("/别的.wav"));
    QThread::msleep(3000);
    EXPECT_EQ(n.desktop.notifications().size(), 1)
        << n.desktop.notifications().join(u'\n').toStdString();
    EXPECT_EQ(n.program.stop(SIGINT), 0);
}

TEST(Notifications, AStartThatFailsIsToldAsItFails) {
    ASSERT_TRUE(soundServerReady());
    waitUntilTheDateHoldsFor(30);
    NotifiedProgram n;
    // Music in name only: the check finds it unplayable, and so does the start.
    const QString broken = toneFolder() + QStringLiteral("/坏的.mp3");
    QFile file(broken);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(64 * 1024, 'x'));
    file.close();
    ASSERT_TRUE(n.start(QStringLiteral("眼保健操"), broken, 6));
    ASSERT_TRUE(n.program.waitForOutput(QStringLiteral("眼保健操 ◆ 播放失败"), 15000))
        << n.program.output().toStdString();
    ASSERT_TRUE(waitUntil(
        [&] { return !n.notificationsWith(QStringLiteral("定时播: 播放失败")).isEmpty(); }, 5000));
    QThread::msleep(1500);
    const QStringList failures = n.notificationsWith(QStringLiteral("定时播: 播放失败"));
    ASSERT_EQ(failures.size(), 1) << n.desktop.notifications().join(u'\n').toStdString();
    EXPECT_TRUE(failures[0].contains(QStringLiteral("眼保健操 ◆ 播放失败")));
    // Told once before the bell, once as it failed.
    EXPECT_EQ(n.notificationsWith(QStringLiteral("节目将无法播放")).size(), 1);
    EXPECT_EQ(n.program.stop(SIGINT), 0);
}

TEST(Notifications, UnloadingTheOutputSinkWhilePlayingIsToldOnce) {
    ASSERT_TRUE(soundServerReady());
    ASSERT_TRUE(initAudioEngine());
    TemporarySink amplifier(QStringLiteral("kb_notified"), QStringLiteral("KB-Notified"));
    ASSERT_TRUE(amplifier.loaded());
    ASSERT_TRUE(amplifier.waitUntilListed());
    waitUntilTheDateHoldsFor(30);
    NotifiedProgram n;
    ASSERT_TRUE(n.start(QStringLiteral("广播操"), toneFile(QStringLiteral("wav"), 20.0), 3,
                        QStringLiteral("KB-Notified")));
    ASSERT_TRUE(n.program.waitForOutput(QStringLiteral("广播操 ◆ 开始播放"), 10000))
        << n.program.output().toStdString();
    EXPECT_TRUE(n.desktop.notifications().isEmpty());
    amplifier.unload();
    ASSERT_TRUE(n.program.waitForOutput(QStringLiteral("音频设备失效"), 5000));
    ASSERT_TRUE(waitUntil([&] { return !n.desktop.notifications().isEmpty(); }, 5000));
    QThread::msleep(1500);
    const QStringList told = n.desktop.notifications();
    ASSERT_EQ(told.size(), 1) << told.join(u'\n').toStdString();
    EXPECT_TRUE(told[0].contains(QStringLiteral("定时播: 音频设备失效")));
    EXPECT_TRUE(told[0].contains(QStringLiteral("广播操 ◆ 播放异常 ◆ 音频设备失效")));
    EXPECT_EQ(n.program.stop(SIGINT), 0);
}
