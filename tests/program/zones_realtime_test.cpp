#include <gtest/gtest.h>
#include <QEventLoop>
#include <QFile>
#include <QThread>
#include <QTime>
#include <QTimer>
#include <cmath>
#include <csignal>

#include "audio/engine_checks.h"
#include "audio/gst_support.h"
#include "core/immediate/immediate_player.h"
#include "core/playback/volume_scale.h"
#include "core/settings/settings_file.h"
#include "core/timed/dispatcher.h"
#include "core/timed/programme_file.h"
#include "core/timed/tick_timer.h"
#include "helpers/program_runner.h"
#include "helpers/sink_recorder.h"
#include "helpers/temp_folder.h"
#include "helpers/test_environment.h"
#include "helpers/tone_files.h"

// Zones on real sinks: the dormitory on KB-Speakers, the teaching building on KB-Hall.

namespace {

constexpr qint64 kNsPerMs = 1'000'000;
constexpr double kWake = 441.0;
constexpr double kClass = 882.0;
constexpr double kExercise = 1323.0;

ZoneSetup school() {
    ZoneSetup zones;
    zones.zones = {{QStringLiteral("教学楼"), QStringLiteral("KB-Hall")},
                   {QStringLiteral("宿舍"), QStringLiteral("KB-Speakers")}};
    zones.setZonesOf(QStringLiteral("起床铃"), {QStringLiteral("宿舍")});
    zones.setZonesOf(QStringLiteral("上课铃"), {QStringLiteral("教学楼")});
    zones.setZonesOf(QStringLiteral("早操"), {QStringLiteral("教学楼"), QStringLiteral("宿舍")});
    return zones;
}

Programme tone(const QString& name, double frequency, int volume, const QTime& start) {
    Programme p = newProgramme();
    setProgrammeName(p, name);
    setProgrammePath(p, toneFile(QStringLiteral("wav"), 20.0, static_cast<int>(frequency)));
    p.countByTracks = 0;
    p.secondsCount = 20;
    p.volume = volume;
    p.startTimes[0] = ClockTime{start.hour(), start.minute(), start.second()};
    return p;
}

// The monotonic time of the line's second in the play log... as close as the recorder needs:
// the moment the program printed it.
qint64 waitForLine(ProgramRunner& program, const QString& text) {
    return program.waitForOutput(text, 30000) ? monotonicNs() : -1;
}

}  // namespace

// Two programmes at one second in two zones sound together, each on its zone's sink at its own
// volume; a third on both zones stops both and plays on both.
TEST(ZonesRealTime, TwoZonesSoundTogetherAndAProgrammeOnBothTakesBoth) {
    ASSERT_TRUE(soundServerReady());
    ASSERT_TRUE(initAudioEngine());
    waitUntilTheDateHoldsFor(60);
    ProgramRunner program;
    const QTime start = QTime::currentTime().addSecs(5);
    ProgrammeTable table;
    table.append(tone(QStringLiteral("起床铃"), kWake, 80, start));
    table.append(tone(QStringLiteral("上课铃"), kClass, 60, start));
    table.append(tone(QStringLiteral("早操"), kExercise, 100, start.addSecs(5)));
    QString message;
    ASSERT_TRUE(saveProgrammes(program.dataFolder(), table, true, message));
    ASSERT_TRUE(saveZoneSetup(program.dataFolder(), school(), message));
    SinkRecorder speakers(QStringLiteral("kb_speakers"));
    SinkRecorder hall(QStringLiteral("kb_hall"));
    ASSERT_TRUE(speakers.start() && hall.start());
    ASSERT_TRUE(program.start({QStringLiteral("--headless")}));
    const qint64 both = waitForLine(program, QStringLiteral("上课铃 ◆ 开始播放"));
    ASSERT_GT(both, 0) << program.output().toStdString() << program.errors().toStdString();
    EXPECT_TRUE(program.output().contains(QStringLiteral("起床铃 ◆ 开始播放")));
    // A second into both runs: each tone on its own sink only.
    const qint64 from = both + 400 * kNsPerMs;
    const qint64 to = both + 1400 * kNsPerMs;
    recordUntil({&speakers, &hall}, to);
    const double wake = speakers.toneLevelDb(from, to, kWake);
    const double classBell = hall.toneLevelDb(from, to, kClass);
    EXPECT_GT(wake, -40.0);
    EXPECT_GT(classBell, -40.0);
    EXPECT_LT(speakers.toneLevelDb(from, to, kClass), -60.0);
    EXPECT_LT(hall.toneLevelDb(from, to, kWake), -60.0);
    // Volume 80 against 60: the volume scale's difference, whatever the tone's own level.
    const double expected = (volumeToAttenuation(80) - volumeToAttenuation(60)) / 100.0;
    EXPECT_NEAR(wake - classBell, expected, 1.0);

    const qint64 exercise = waitForLine(program, QStringLiteral("早操 ◆ 开始播放"));
    ASSERT_GT(exercise, 0) << program.output().toStdString();
    const QString out = program.output();
    EXPECT_TRUE(out.contains(QStringLiteral("起床铃 ◆ 终止播放"))) << out.toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("上课铃 ◆ 终止播放"))) << out.toStdString();
    const qint64 later = exercise + 500 * kNsPerMs;
    recordUntil({&speakers, &hall}, later + 1000 * kNsPerMs);
    for (SinkRecorder* sink : {&speakers, &hall}) {
        EXPECT_GT(sink->toneLevelDb(later, later + 1000 * kNsPerMs, kExercise), -40.0);
        EXPECT_LT(sink->toneLevelDb(later, later + 1000 * kNsPerMs, kWake), -60.0);
        EXPECT_LT(sink->toneLevelDb(later, later + 1000 * kNsPerMs, kClass), -60.0);
    }
    EXPECT_EQ(program.stop(SIGINT), 0);
}

// Immediate play in the teaching building lowers only the teaching building's programme.
TEST(ZonesRealTime, ImmediatePlayDucksOnlyItsZone) {
    ASSERT_TRUE(soundServerReady());
    ASSERT_TRUE(initAudioEngine());
    TempFolder data;
    PlayLog log(data.path());
    SystemClock clock;
    GstAudioBackend backend;
    SystemSettings settings = firstRunSettings();
    settings.duckPercent = 60;
    settings.duckFadeOutSeconds = 1;
    ZoneSetup zones = school();
    zones.setZonesOf(QStringLiteral("课间音乐"),
                     {QStringLiteral("教学楼"), QStringLiteral("宿舍")});
    zones.immediate = {QStringLiteral("教学楼")};
    ProgrammeTable table;
    HolidayCalendar calendar;
    warmUpAudioEngine();
    RunEngine runs(clock, backend, log, settings);
    runs.setZones(&zones);
    Dispatcher dispatcher(clock, table, calendar, runs, log);
    ImmediateStore store(data.path(), data.path());
    PlaylistModel playlist(store.settings());
    ImmediatePlayer immediate({clock, backend, store, playlist, settings, runs.ducking(), &zones});
    table.append(tone(QStringLiteral("课间音乐"), kWake, 100, QTime(0, 0)));
    playlist.append({makePlaylistEntry(toneFile(QStringLiteral("wav"), 20.0, 882), -1)});
    playlist.setCurrent(0);
    immediate.setLimits(0, 0);
    SinkRecorder speakers(QStringLiteral("kb_speakers"));
    SinkRecorder hall(QStringLiteral("kb_hall"));
    ASSERT_TRUE(speakers.start() && hall.start());
    TickTimer timer;
    QObject::connect(&timer, &TickTimer::tick, [&] {
        dispatcher.dispatchTick();
        immediate.immediateTick();
    });
    timer.start();
    dispatcher.manualPlay(0, 60);
    runEventsFor(1500);
    const qint64 before = monotonicNs();
    immediate.startImmediatePlay();
    runEventsFor(3000);
    ASSERT_TRUE(immediate.hasAudio());
    const qint64 ducked = monotonicNs();
    timer.stop();
    recordUntil({&speakers, &hall}, ducked);
    const double hallBefore = hall.toneLevelDb(before - 800 * kNsPerMs, before, kWake);
    const double hallDucked = hall.toneLevelDb(ducked - 800 * kNsPerMs, ducked, kWake);
    const double dormBefore = speakers.toneLevelDb(before - 800 * kNsPerMs, before, kWake);
    const double dormDucked = speakers.toneLevelDb(ducked - 800 * kNsPerMs, ducked, kWake);
    // Level 40 of 100 on the volume scale in the hall; the dormitory as it was.
    EXPECT_NEAR(hallBefore - hallDucked, -volumeToAttenuation(40) / 100.0, 1.5);
    EXPECT_NEAR(dormBefore - dormDucked, 0.0, 0.5);
    EXPECT_GT(hall.toneLevelDb(ducked - 800 * kNsPerMs, ducked, kClass), -40.0);
    EXPECT_LT(speakers.toneLevelDb(ducked - 800 * kNsPerMs, ducked, kClass), -60.0);
    immediate.stopImmediatePlay(false);
    runs.stopAllRuns(QStringLiteral("test"), 0, wholeSecond(clock.now()));
}

// A zone file that is not one: told, kept as .damaged, and the bell rings on the program-wide
// output as it would without zones.
TEST(ZonesRealTime, ADamagedZoneFileLeavesTheBellsOnTheProgramWideOutput) {
    ASSERT_TRUE(soundServerReady());
    ASSERT_TRUE(initAudioEngine());
    waitUntilTheDateHoldsFor(30);
    ProgramRunner program;
    QString message;
    ASSERT_TRUE(writeDueProgramme(program.dataFolder(), QStringLiteral("上课铃"),
                                  toneFile(QStringLiteral("wav"), 5.0, 882), 3,
                                  QStringLiteral("KB-Hall"), message));
    QFile zones(program.dataFolder() + u'/' + kZoneFileName);
    ASSERT_TRUE(zones.open(QIODevice::WriteOnly));
    zones.write("{\"zones\": [{\"name\": \"教学楼\"");
    zones.close();
    SinkRecorder hall(QStringLiteral("kb_hall"));
    ASSERT_TRUE(hall.start());
    ASSERT_TRUE(program.start({QStringLiteral("--headless")}));
    const qint64 rang = waitForLine(program, QStringLiteral("上课铃 ◆ 开始播放"));
    ASSERT_GT(rang, 0) << program.errors().toStdString();
    EXPECT_TRUE(program.errors().contains(QStringLiteral("分区设置有错误")))
        << program.errors().toStdString();
    EXPECT_TRUE(
        QFile::exists(program.dataFolder() + u'/' + kZoneFileName + QStringLiteral(".damaged")));
    recordUntil({&hall}, rang + 1300 * kNsPerMs);
    EXPECT_GT(hall.toneLevelDb(rang + 300 * kNsPerMs, rang + 1300 * kNsPerMs, kClass), -40.0);
    EXPECT_EQ(program.stop(SIGINT), 0);
}
