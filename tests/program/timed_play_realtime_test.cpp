#include <gtest/gtest.h>
#include <QDateTime>
#include <QEventLoop>
#include <QTimer>

#include "audio/engine_checks.h"
#include "audio/gst_support.h"
#include "audio/output_devices.h"
#include "core/timed/dispatcher.h"
#include "core/timed/tick_timer.h"
#include "helpers/sink_recorder.h"
#include "helpers/temp_folder.h"
#include "helpers/test_environment.h"
#include "helpers/tone_files.h"

namespace {

struct Line {
    QTime time;
    QString text;
};

std::vector<Line> readLog(const QString& path) {
    std::vector<Line> lines;
    for (const QString& line : readPlayLogLines(path)) {
        lines.push_back(
            {QTime::fromString(line.mid(11, 8), QStringLiteral("hh:mm:ss")), line.mid(22)});
    }
    return lines;
}

Programme programme(const QString& name, const QString& path, const QTime& start) {
    Programme p = newProgramme();
    setProgrammeName(p, name);
    setProgrammePath(p, path);
    p.startTimes[0] = ClockTime{start.hour(), start.minute(), start.second()};
    return p;
}

}  // namespace

TEST(TimedPlayRealTime, SecondProgrammePreemptsTheFirstOnTime) {
    ASSERT_TRUE(soundServerReady());
    ASSERT_TRUE(initAudioEngine());
    waitUntilTheDateHoldsFor(60);
    TempFolder data;
    PlayLog log(data.path());
    SystemClock clock;
    GstAudioBackend backend;
    SystemSettings settings = firstRunSettings();
    setOutputDeviceName(settings, QStringLiteral("KB-Speakers"));
    ProgrammeTable table;
    HolidayCalendar calendar;
    warmUpAudioEngine();  // as start-up does
    RunEngine runs(clock, backend, log, settings);
    Dispatcher dispatcher(clock, table, calendar, runs, log);

    const QString music = toneFile(QStringLiteral("mp3"), 10.0, 441);
    const QString bell = toneFile(QStringLiteral("wav"), 2.0, 882);
    SinkRecorder speakers(QStringLiteral("kb_speakers"));
    ASSERT_TRUE(speakers.start());

    const QDateTime now = QDateTime::currentDateTime();
    const qint64 mono0 = monotonicNs();
    const QDateTime first = now.addSecs(2).addMSecs(-now.time().msec());
    const QDateTime second = first.addSecs(3);
    auto monotonicAt = [&](const QDateTime& t) { return mono0 + now.msecsTo(t) * 1'000'000LL; };
    table.append(programme(QStringLiteral("早操"), music, first.time()));
    table.append(programme(QStringLiteral("铃声"), bell, second.time()));
    TickTimer timer;
    QObject::connect(&timer, &TickTimer::tick, [&] { dispatcher.dispatchTick(); });
    timer.start();
    QEventLoop loop;
    QTimer::singleShot(static_cast<int>(now.msecsTo(second) + 3500), &loop, &QEventLoop::quit);
    loop.exec();
    timer.stop();

    const std::vector<Line> lines = readLog(log.path());
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0].text, QStringLiteral("早操 ◆ 开始播放"));
    EXPECT_EQ(lines[0].time, first.time());
    EXPECT_EQ(
        lines[1].text,
        QStringLiteral("早操 ◆ 终止播放... ◆ 别的节目要播: 铃声 ◆ 参看:节目属性→准时播/可延迟"));
    EXPECT_EQ(lines[1].time, second.time());
    EXPECT_EQ(lines[2].text, QStringLiteral("铃声 ◆ 开始播放"));
    EXPECT_EQ(lines[2].time, second.time());
    EXPECT_EQ(lines[3].text, QStringLiteral("铃声 ◆ 播放结束"));
    EXPECT_LE(lines[3].time.secsTo(second.time().addSecs(3)), 1);

    // Heard: above -80 dB, which the second of the twenty fade-in steps already is. Not before
    // its second, and within it (how soon is measured by the benchmarks).
    const qint64 firstSound = speakers.firstSoundNs(monotonicAt(first) - 500'000'000, -80.0);
    EXPECT_GE(firstSound, monotonicAt(first));
    EXPECT_LE(firstSound, monotonicAt(first) + 1'000'000'000);
    // The first fades for 0.6 s from the tick of the second start; then the second is heard.
    const qint64 fadeEnd = monotonicAt(second) + 590'000'000;
    // The bell is told apart from the fading music by its pitch.
    const qint64 secondSound =
        speakers.firstToneNs(monotonicAt(second) - 500'000'000, 882.0, -60.0);
    EXPECT_GE(secondSound, fadeEnd - 30'000'000);
    EXPECT_LE(secondSound, fadeEnd + 1'000'000'000);
    EXPECT_LT(speakers.levelDb(fadeEnd - 100'000'000, fadeEnd - 40'000'000), -50.0);
}
