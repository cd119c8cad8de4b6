#include <gtest/gtest.h>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QThread>
#include <QTime>
#include <csignal>
#include <random>

#include "core/holidays/holiday_file.h"
#include "core/support/date_text.h"
#include "core/timed/bell_check.h"
#include "core/timed/programme_file.h"
#include "helpers/holiday_builders.h"
#include "helpers/private_session_bus.h"
#include "helpers/program_runner.h"
#include "helpers/temp_folder.h"
#include "helpers/test_environment.h"
#include "helpers/tone_files.h"

// The running program as tools see it: --status, --reload and D-Bus on the user's session
// bus, and data files that another program replaces. Each test has a session bus of its own,
// so no other program in the test run answers in its place.

namespace {

ClockTime secondsFromNow(int seconds) {
    const QTime t = QTime::currentTime().addSecs(seconds);
    return ClockTime{t.hour(), t.minute(), t.second()};
}

Programme bell(const QString& name, const QString& file, const std::vector<ClockTime>& starts) {
    Programme p = newProgramme();
    setProgrammeName(p, name);
    setProgrammePath(p, file);
    for (size_t i = 0; i < starts.size(); ++i) {
        p.startTimes[i] = starts[i];
    }
    p.startCount = static_cast<int>(starts.size());
    return p;
}

// The second of a play-log line that ends with the text, or empty.
QString secondOfLine(const QStringList& lines, const QString& text) {
    for (const QString& line : lines) {
        if (line.contains(text)) {
            return line.mid(11, 8);
        }
    }
    return QString();
}

QString hms(const ClockTime& t) {
    return QString::asprintf("%.2d:%.2d:%.2d", t.hour, t.minute, t.second);
}

}  // namespace

TEST(RemoteControl, StatusNamesTheNextStartAndPlayProgrammePlaysByName) {
    ASSERT_TRUE(soundServerReady());
    waitUntilTheDateHoldsFor(60);
    PrivateSessionBus bus;
    ASSERT_FALSE(bus.address.isEmpty());
    ProgramRunner program;
    program.addEnvironment(bus.environment());
    ToolResult none = runTool(QStringLiteral(KB_PROGRAM_PATH), {QStringLiteral("--status")},
                              program.environment());
    EXPECT_EQ(none.exitCode, 3);
    EXPECT_TRUE(none.err.contains(QStringLiteral("没有运行中的程序"))) << none.err.toStdString();

    // A school's timetable of 50 programmes with 20 starts each, at random seconds.
    std::mt19937 random(20261207);
    ProgrammeTable table;
    const QString tone = toneFile(QStringLiteral("ogg"), 2.0);
    for (int i = 0; i < 50; ++i) {
        std::vector<ClockTime> starts;
        for (int k = 0; k < 20; ++k) {
            const int second = static_cast<int>(random() % 86'400);
            starts.push_back({second / 3600, second / 60 % 60, second % 60});
        }
        table.append(bell(QStringLiteral("节目%1").arg(i), tone, starts));
    }
    QString message;
    ASSERT_TRUE(saveProgrammes(program.dataFolder(), table, true, message));
    ASSERT_TRUE(program.start({QStringLiteral("--headless")}));
    ASSERT_TRUE(program.waitForOutput(QStringLiteral("软件启动"), 20000));

    ToolResult status = runTool(QStringLiteral(KB_PROGRAM_PATH), {QStringLiteral("--status")},
                                program.environment());
    for (int tries = 0; status.exitCode == 3 && tries < 50; ++tries) {
        // The name is taken right after start-up.
        QThread::msleep(100);
        status = runTool(QStringLiteral(KB_PROGRAM_PATH), {QStringLiteral("--status")},
                         program.environment());
    }
    ASSERT_EQ(status.exitCode, 0) << status.err.toStdString();
    const QJsonObject json = QJsonDocument::fromJson(status.out.toUtf8()).object();
    ASSERT_FALSE(json.isEmpty()) << status.out.toStdString();
    EXPECT_EQ(json.value(QStringLiteral("version")).toString(), QStringLiteral("9.2"));
    // The next start after the moment it reported, by the same evaluation as --preview.
    const QString now = json.value(QStringLiteral("now")).toString();
    const QDateTime reported = QDateTime::fromString(now, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    ASSERT_TRUE(reported.isValid()) << now.toStdString();
    const LocalDateTime moment =
        makeDateTime(reported.date().year(), reported.date().month(), reported.date().day(),
                     reported.time().hour(), reported.time().minute(), reported.time().second());
    const std::vector<DueStart> coming = startsInNextDay(table, HolidayCalendar{}, moment);
    ASSERT_FALSE(coming.empty());
    const QJsonObject next = json.value(QStringLiteral("next")).toObject();
    EXPECT_EQ(next.value(QStringLiteral("time")).toString(), formatTimestamp(coming[0].start));
    EXPECT_EQ(next.value(QStringLiteral("programme")).toString(), coming[0].name);
    EXPECT_TRUE(json.value(QStringLiteral("playing")).isArray());
    EXPECT_FALSE(json.value(QStringLiteral("immediate"))
                     .toObject()
                     .value(QStringLiteral("playing"))
                     .toBool());

    const QDBusMessage unknown =
        bus.call(QStringLiteral("PlayProgramme"), {QStringLiteral("无此节目")});
    EXPECT_EQ(unknown.type(), QDBusMessage::ErrorMessage);
    EXPECT_EQ(unknown.errorMessage(), QStringLiteral("没有这个节目：无此节目"));
    const QDBusMessage play = bus.call(QStringLiteral("PlayProgramme"), {QStringLiteral("节目7")});
    EXPECT_EQ(play.type(), QDBusMessage::ReplyMessage) << play.errorMessage().toStdString();
    EXPECT_TRUE(program.waitForOutput(QStringLiteral("节目7(手动) ◆ 开始播放"), 15000))
        << program.output().toStdString();
    EXPECT_EQ(runTool(QStringLiteral(KB_PROGRAM_PATH), {QStringLiteral("--reload")},
                      program.environment())
                  .exitCode,
              0);
    EXPECT_EQ(program.stop(SIGINT), 0);
}

// As the README's "Looking after many PCs" pushes files: rsync writes beside the file and
// renames it into place.
TEST(RemoteControl, FilesReplacedUnderTheRunningProgramAreFollowedAndADamagedOneKeepsTheBells) {
    ASSERT_TRUE(soundServerReady());
    waitUntilTheDateHoldsFor(60);
    PrivateSessionBus bus;
    ProgramRunner program;
    program.addEnvironment(bus.environment());
    const QString tone = toneFile(QStringLiteral("ogg"), 2.0);
    const ClockTime first = secondsFromNow(9);
    const ClockTime added = secondsFromNow(15);
    const ClockTime last = secondsFromNow(23);
    ProgrammeTable table;
    table.append(bell(QStringLiteral("上课铃"), tone, {first, last}));
    HolidayCalendar today;
    const QDate date = QDate::currentDate();
    today.holidays.push_back(makeHoliday(
        QStringLiteral("运动会"),
        {date.year(), date.month(), date.day(), 0, date.year(), date.month(), date.day(), 24}));
    QString message;
    ASSERT_TRUE(saveProgrammes(program.dataFolder(), table, true, message));
    ASSERT_TRUE(saveHolidayCalendar(program.dataFolder(), today, true, message));
    ASSERT_TRUE(program.start({QStringLiteral("--headless")}));
    ASSERT_TRUE(program.waitForOutput(QStringLiteral("软件启动"), 20000));

    // The district pushes a calendar without the sports day and a timetable with one more
    // programme.
    TempFolder staged;
    table.append(bell(QStringLiteral("眼保健操"), tone, {added}));
    ASSERT_TRUE(saveProgrammes(staged.path(), table, true, message));
    ASSERT_TRUE(saveHolidayCalendar(staged.path(), HolidayCalendar{}, true, message));
    const auto push = [&](const QString& name) {
        return runTool(QStringLiteral("rsync"),
                       {QStringLiteral("-a"), staged.file(name), program.dataFolder() + u'/'});
    };
    ASSERT_EQ(push(kHolidayFileName).exitCode, 0);
    ASSERT_EQ(push(kProgrammeFileName).exitCode, 0);
    ASSERT_TRUE(program.waitForOutput(QStringLiteral("眼保健操 ◆ 开始播放"), 30000))
        << program.output().toStdString() << program.errors().toStdString();
    EXPECT_EQ(secondOfLine(program.logLines(), QStringLiteral("上课铃 ◆ 开始播放")), hms(first));
    EXPECT_EQ(secondOfLine(program.logLines(), QStringLiteral("眼保健操 ◆ 开始播放")), hms(added));

    // A copy that went wrong: reported, kept as .damaged, and the bells go on.
    QFile damaged(staged.file(kProgrammeFileName));
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    damaged.write(QByteArray(1000, 'x'));
    damaged.close();
    ASSERT_EQ(push(kProgrammeFileName).exitCode, 0);
    EXPECT_TRUE(program.waitForError(QStringLiteral("读文件失败"), 10000))
        << program.errors().toStdString();
    EXPECT_TRUE(QFile::exists(program.dataFolder() + u'/' + kProgrammeFileName +
                              QStringLiteral(".damaged")));
    QElapsedTimer waited;
    waited.start();
    QStringList lines;
    do {
        QThread::msleep(200);
        lines = program.logLines();
    } while (lines.filter(QStringLiteral("上课铃 ◆ 开始播放")).size() < 2 &&
             waited.elapsed() < 30000);
    ASSERT_EQ(lines.filter(QStringLiteral("上课铃 ◆ 开始播放")).size(), 2)
        << lines.join(u'\n').toStdString();
    EXPECT_EQ(lines.filter(QStringLiteral("上课铃 ◆ 开始播放")).last().mid(11, 8), hms(last));
    EXPECT_EQ(program.stop(SIGINT), 0);
}

// Moving in while a copy runs: the import writes the files the copy follows, and the imported
// programme rings at its second.
TEST(RemoteControl, AWindowsImportPlaysInTheRunningCopyAtItsSecond) {
    ASSERT_TRUE(soundServerReady());
    waitUntilTheDateHoldsFor(60);
    PrivateSessionBus bus;
    ProgramRunner program;
    program.addEnvironment(bus.environment());
    ASSERT_TRUE(program.start({QStringLiteral("--headless")}));
    ASSERT_TRUE(program.waitForOutput(QStringLiteral("软件启动"), 20000));

    // The Windows program's folder: its bell under D:\广播, the file on this disk in lower case.
    TempFolder windows;
    TempFolder music;
    QDir(music.path()).mkpath(QStringLiteral("铃声"));
    QFile::copy(toneFile(QStringLiteral("wav"), 2.0),
                music.file(QStringLiteral("铃声/上课铃.wav")));
    const ClockTime start = secondsFromNow(8);
    ProgrammeTable table;
    table.append(
        bell(QStringLiteral("上课铃"), QStringLiteral("D:\\广播\\铃声\\上课铃.WAV"), {start}));
    QString message;
    ASSERT_TRUE(saveProgrammes(windows.path(), table, true, message));
    const ToolResult imported =
        runTool(QStringLiteral(KB_PROGRAM_PATH),
                {QStringLiteral("--import-windows"), windows.path(), QStringLiteral("--map"),
                 QStringLiteral("D:\\广播=") + music.path()},
                program.environment());
    ASSERT_EQ(imported.exitCode, 0) << imported.err.toStdString();
    EXPECT_TRUE(imported.out.contains(QStringLiteral("找到 1 个, 未找到 0 个")))
        << imported.out.toStdString();
    ASSERT_TRUE(program.waitForOutput(QStringLiteral("上课铃 ◆ 开始播放"), 30000))
        << program.output().toStdString() << program.errors().toStdString();
    EXPECT_EQ(secondOfLine(program.logLines(), QStringLiteral("上课铃 ◆ 开始播放")), hms(start));
    EXPECT_EQ(program.stop(SIGINT), 0);
}
