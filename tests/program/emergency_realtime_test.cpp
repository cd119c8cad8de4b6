#include <gtest/gtest.h>
#include <QDBusMessage>
#include <QEventLoop>
#include <QJsonDocument>
#include <QJsonObject>
#include <QThread>
#include <QTime>
#include <QTimer>
#include <csignal>
#include <cstdio>

#include "audio/engine_checks.h"
#include "audio/gst_support.h"
#include "audio/live_route.h"
#include "core/announcement/announcement.h"
#include "core/emergency/alarm_setup.h"
#include "core/timed/dispatcher.h"
#include "core/timed/programme_file.h"
#include "core/timed/tick_timer.h"
#include "helpers/private_session_bus.h"
#include "helpers/program_runner.h"
#include "helpers/sink_recorder.h"
#include "helpers/temp_folder.h"
#include "helpers/temporary_sink.h"
#include "helpers/test_environment.h"
#include "helpers/tone_files.h"

// The emergency alarm of the running program over D-Bus, and the live announcement, heard on
// the real sinks: the teaching building on KB-Hall, the dormitory on KB-Speakers. Tones whose
// periods fit the recorder's blocks (multiples of 110.25 Hz) keep apart: the programmes at
// 441, 882 and 1323 Hz, the test's alarm and microphone at 1764 Hz.

namespace {

constexpr qint64 kMsNs = 1'000'000;
constexpr double kProgrammeTone = 441.0;
constexpr double kQueuedTone = 882.0;
constexpr double kLaterTone = 1323.0;
constexpr double kAlarmTone = 1764.0;

ZoneSetup schoolZones() {
    ZoneSetup zones;
    zones.zones = {{QStringLiteral("教学楼"), QStringLiteral("KB-Hall")},
                   {QStringLiteral("宿舍"), QStringLiteral("KB-Speakers")}};
    zones.setZonesOf(QStringLiteral("早操"), {QStringLiteral("教学楼"), QStringLiteral("宿舍")});
    zones.setZonesOf(QStringLiteral("上课铃"), {QStringLiteral("教学楼")});
    zones.setZonesOf(QStringLiteral("下课铃"), {QStringLiteral("宿舍")});
    return zones;
}

Programme toneProgramme(const QString& name, double frequency, int seconds, const QTime& start) {
    Programme p = newProgramme();
    setProgrammeName(p, name);
    setProgrammePath(p, toneFile(QStringLiteral("wav"), seconds, static_cast<int>(frequency)));
    p.countByTracks = 0;
    p.secondsCount = seconds;
    p.volume = 100;
    p.startTimes[0] = ClockTime{start.hour(), start.minute(), start.second()};
    return p;
}

// The running program's name on the bus is taken right after start-up.
bool waitForBusName(const PrivateSessionBus& bus) {
    for (int tries = 0; tries < 100; ++tries) {
        if (bus.call(QStringLiteral("Status")).type() == QDBusMessage::ReplyMessage) {
            return true;
        }
        QThread::msleep(100);
    }
    return false;
}

// The first moment (10 ms steps) from which a tone stays below -60 dB until `toNs`, or -1.
qint64 silentFrom(const SinkRecorder& sink, qint64 fromNs, qint64 toNs, double tone) {
    for (qint64 t = fromNs; t < toNs; t += 10 * kMsNs) {
        if (sink.toneLevelDb(t, toNs, tone) < -60.0) {
            return t;
        }
    }
    return -1;
}

QJsonObject emergencyStatus(const PrivateSessionBus& bus) {
    const QDBusMessage reply = bus.call(QStringLiteral("Status"));
    return QJsonDocument::fromJson(reply.arguments().value(0).toString().toUtf8())
        .object()
        .value(QStringLiteral("emergency"))
        .toObject();
}

// PulseAudio's sine generator as the microphone: module-sine playing into a null sink of its
// own, whose monitor is the input. (module-sine-source has a fixed latency of two seconds: it
// delivers its tone two seconds at a time, as no microphone does, and a live input with 10 ms
// buffers drops most of it.)
struct SineMicrophone {
    explicit SineMicrophone(double frequency) {
        const ToolResult loaded =
            runTool(QStringLiteral("pactl"),
                    {QStringLiteral("load-module"), QStringLiteral("module-sine"),
                     QStringLiteral("sink=kb_mic"), QStringLiteral("frequency=%1").arg(frequency)});
        module = loaded.exitCode == 0 ? loaded.out.trimmed() : QString();
        // About -20 dB, as a voice: a full-scale tone broken up by a busy machine spreads into
        // the programme's frequency.
        runTool(QStringLiteral("pactl"), {QStringLiteral("set-sink-volume"),
                                          QStringLiteral("kb_mic"), QStringLiteral("45%")});
    }
    ~SineMicrophone() {
        if (!module.isEmpty()) {
            runTool(QStringLiteral("pactl"), {QStringLiteral("unload-module"), module});
        }
    }
    TemporarySink sink{QStringLiteral("kb_mic"), QStringLiteral("KB-Microphone")};
    QString module;
};

}  // namespace

// Emergency("") while a programme plays in two zones: its sound ends within the 600 ms fade,
// the chosen alarm is heard in both within a second; a bell due meanwhile is logged and not
// heard; StopEmergency() silences it, and the next programme plays at its second.
TEST(EmergencyRealTime, DBusAlarmReplacesTheProgrammeEverywhereAndTheTimetableGoesOn) {
    ASSERT_TRUE(soundServerReady());
    ASSERT_TRUE(initAudioEngine());
    waitUntilTheDateHoldsFor(60);
    PrivateSessionBus bus;
    ASSERT_FALSE(bus.address.isEmpty());
    ProgramRunner program;
    program.addEnvironment(bus.environment());
    const QTime now = QTime::currentTime();
    const QTime later = now.addSecs(20);
    ProgrammeTable table;
    table.append(toneProgramme(QStringLiteral("早操"), kProgrammeTone, 30, now.addSecs(5)));
    table.append(toneProgramme(QStringLiteral("上课铃"), kQueuedTone, 5, now.addSecs(11)));
    table.append(toneProgramme(QStringLiteral("下课铃"), kLaterTone, 5, later));
    QString message;
    ASSERT_TRUE(saveProgrammes(program.dataFolder(), table, true, message));
    ASSERT_TRUE(saveZoneSetup(program.dataFolder(), schoolZones(), message));
    ASSERT_TRUE(saveEmergencySetup(
        program.dataFolder(), {toneFile(QStringLiteral("wav"), 3.0, static_cast<int>(kAlarmTone))},
        message));
    SinkRecorder hall(QStringLiteral("kb_hall"));
    SinkRecorder speakers(QStringLiteral("kb_speakers"));
    ASSERT_TRUE(hall.start() && speakers.start());
    ASSERT_TRUE(program.start({QStringLiteral("--headless")}));
    ASSERT_TRUE(waitForBusName(bus)) << program.errors().toStdString();
    ASSERT_TRUE(program.waitForOutput(QStringLiteral("早操 ◆ 开始播放"), 20000))
        << program.output().toStdString();
    QThread::msleep(1500);

    const qint64 called = monotonicNs();
    const QDBusMessage start = bus.call(QStringLiteral("Emergency"), {QString()});
    ASSERT_EQ(start.type(), QDBusMessage::ReplyMessage) << start.errorMessage().toStdString();
    EXPECT_TRUE(emergencyStatus(bus).value(QStringLiteral("sounding")).toBool());
    EXPECT_TRUE(program.waitForOutput(QStringLiteral("上课铃 ◆ 终止播放 ◆ 紧急广播中"), 15000))
        << program.output().toStdString();
    QThread::msleep(500);
    const qint64 stopped = monotonicNs();
    ASSERT_EQ(bus.call(QStringLiteral("StopEmergency")).type(), QDBusMessage::ReplyMessage);
    EXPECT_FALSE(emergencyStatus(bus).value(QStringLiteral("sounding")).toBool());
    ASSERT_TRUE(program.waitForOutput(QStringLiteral("下课铃 ◆ 开始播放"), 20000))
        << program.output().toStdString();
    recordUntil({&hall, &speakers}, monotonicNs() + 500 * kMsNs);

    for (SinkRecorder* sink : {&hall, &speakers}) {
        const char* name = sink == &hall ? "KB-Hall" : "KB-Speakers";
        EXPECT_GT(sink->toneLevelDb(called - 800 * kMsNs, called, kProgrammeTone), -40.0);
        const qint64 programmeEnd = silentFrom(*sink, called, stopped, kProgrammeTone);
        const qint64 alarm = sink->firstToneNs(called, kAlarmTone, -40.0);
        const qint64 alarmEnd = silentFrom(*sink, stopped, stopped + 1500 * kMsNs, kAlarmTone);
        std::fprintf(stderr,
                     "%s: after Emergency: programme silent %lld ms, alarm heard %lld ms; after "
                     "StopEmergency: alarm silent %lld ms\n",
                     name, (programmeEnd - called) / kMsNs, (alarm - called) / kMsNs,
                     (alarmEnd - stopped) / kMsNs);
        ASSERT_TRUE(programmeEnd > 0 && alarm > 0 && alarmEnd > 0);
        EXPECT_LT(programmeEnd - called, 700 * kMsNs);
        EXPECT_LT(alarm - called, 1000 * kMsNs);
        EXPECT_GT(sink->toneLevelDb(called + 1000 * kMsNs, stopped, kAlarmTone), -30.0);
        EXPECT_LT(alarmEnd - stopped, 700 * kMsNs);
    }
    // The bell due during the alarm was never heard.
    EXPECT_LT(hall.toneLevelDb(called + 700 * kMsNs, stopped + 1500 * kMsNs, kQueuedTone), -60.0);
    const QStringList lines = program.logLines();
    std::fprintf(stderr, "due %s: %s\n", qPrintable(later.toString(QStringLiteral("HH:mm:ss"))),
                 qPrintable(lines.filter(QStringLiteral("下课铃 ◆ 开始播放")).value(0)));
    EXPECT_EQ(lines.filter(QStringLiteral("下课铃 ◆ 开始播放")).value(0).mid(11, 8),
              later.toString(QStringLiteral("HH:mm:ss")))
        << lines.join(u'\n').toStdString();
    EXPECT_EQ(lines.filter(QStringLiteral("紧急广播 ◆ ")).size(), 2);
    EXPECT_EQ(program.stop(SIGINT), 0);
    if (HasFailure()) {
        std::fprintf(stderr, "%s\n%s\n", qPrintable(program.output()),
                     qPrintable(program.errors()));
    }
}

// From the command line: a missing alarm file gives way to the built-in alarm; an output
// unloaded while it sounds drops out and the others keep sounding.
TEST(EmergencyRealTime, AMissingFileAndAnOutputThatGoesAwayLeaveTheAlarmOnTheOthers) {
    ASSERT_TRUE(soundServerReady());
    ASSERT_TRUE(initAudioEngine());
    TemporarySink lab(QStringLiteral("kb_lab"), QStringLiteral("KB-Lab"));
    ASSERT_TRUE(lab.loaded());
    PrivateSessionBus bus;
    ProgramRunner program;
    program.addEnvironment(bus.environment());
    ZoneSetup zones = schoolZones();
    zones.zones.push_back({QStringLiteral("实验楼"), QStringLiteral("KB-Lab")});
    QString message;
    ASSERT_TRUE(saveZoneSetup(program.dataFolder(), zones, message));
    SinkRecorder hall(QStringLiteral("kb_hall"));
    SinkRecorder speakers(QStringLiteral("kb_speakers"));
    ASSERT_TRUE(hall.start() && speakers.start());
    const auto tell = [&program](const QStringList& arguments) {
        return runTool(QStringLiteral(KB_PROGRAM_PATH), arguments, program.environment());
    };
    EXPECT_EQ(tell({QStringLiteral("--stop-emergency")}).exitCode, 3);
    ASSERT_TRUE(program.start({QStringLiteral("--headless")}));
    ASSERT_TRUE(waitForBusName(bus)) << program.errors().toStdString();

    const qint64 called = monotonicNs();
    ASSERT_EQ(tell({QStringLiteral("--emergency"), QStringLiteral("/没有/这个/警报.mp3")}).exitCode,
              0);
    QThread::msleep(1500);
    lab.unload();
    const qint64 unloaded = monotonicNs();
    QThread::msleep(1500);
    const qint64 stopAsked = monotonicNs();
    ASSERT_EQ(tell({QStringLiteral("--stop-emergency")}).exitCode, 0);
    // Silence is due a fade after the program answered; the command's own start-up, which
    // took 0.5 s on a loaded machine, is not the alarm's.
    const qint64 stopped = monotonicNs();
    recordUntil({&hall, &speakers}, stopped + 1500 * kMsNs);
    for (SinkRecorder* sink : {&hall, &speakers}) {
        const qint64 heard = sink->firstSoundNs(called, -30.0);
        ASSERT_GT(heard, 0);
        std::fprintf(stderr, "alarm heard %lld ms after the command, %.1f dB after the unload\n",
                     (heard - called) / kMsNs, sink->levelDb(unloaded + 300 * kMsNs, stopAsked));
        // The command's own start-up counts here too.
        EXPECT_LT(heard - called, 2000 * kMsNs);
        // The siren peaks at -1 dBFS: loud, before and after the lab's output went.
        EXPECT_GT(sink->levelDb(called + 1000 * kMsNs, unloaded), -12.0);
        EXPECT_GT(sink->levelDb(unloaded + 300 * kMsNs, stopAsked), -12.0);
        EXPECT_LT(sink->levelDb(stopped + 700 * kMsNs, stopped + 1500 * kMsNs), -60.0);
    }
    EXPECT_EQ(program.stop(SIGINT), 0);
}

// The head teacher speaks in the teaching building: PulseAudio's sine as the microphone
// reaches that zone only, after the chime; the programme there falls silent meanwhile and comes
// back afterwards, the dormitory's goes on as it was.
TEST(AnnouncementRealTime, TheMicrophoneReachesItsZoneOnlyAndTimedPlayThereIsSilencedAndBack) {
    ASSERT_TRUE(soundServerReady());
    ASSERT_TRUE(initAudioEngine());
    SineMicrophone microphone(kAlarmTone);
    ASSERT_FALSE(microphone.module.isEmpty());
    TempFolder data;
    PlayLog log(data.path());
    SystemClock clock;
    GstAudioBackend backend;
    SystemSettings settings = firstRunSettings();
    settings.duckFadeOutSeconds = 1;
    settings.duckFadeInSeconds = 2;
    const ZoneSetup zones = schoolZones();
    ProgrammeTable table;
    HolidayCalendar calendar;
    warmUpAudioEngine();
    RunEngine runs(clock, backend, log, settings);
    runs.setZones(&zones);
    Dispatcher dispatcher(clock, table, calendar, runs, log);
    LiveRoute route;
    Announcement announcement({clock, log, runs.ducking(), route, settings, &zones});
    table.append(toneProgramme(QStringLiteral("早操"), kProgrammeTone, 20, QTime(0, 0)));
    SinkRecorder hall(QStringLiteral("kb_hall"));
    SinkRecorder speakers(QStringLiteral("kb_speakers"));
    ASSERT_TRUE(hall.start() && speakers.start());
    TickTimer timer;
    QObject::connect(&timer, &TickTimer::tick, [&] { dispatcher.dispatchTick(); });
    timer.start();
    dispatcher.manualPlay(0, 60);
    runEventsFor(1500);
    const qint64 before = monotonicNs();
    QString message;
    ASSERT_TRUE(
        announcement.begin(QStringLiteral("kb_mic.monitor"), {QStringLiteral("教学楼")}, message))
        << message.toStdString();
    EXPECT_EQ(route.outputs(), QStringList{QStringLiteral("KB-Hall")});
    runEventsFor(3000);
    ASSERT_TRUE(route.isLive());
    const qint64 during = monotonicNs();
    announcement.end();
    runEventsFor(3000);
    const qint64 after = monotonicNs();
    timer.stop();
    recordUntil({&hall, &speakers}, after);
    const auto level = [](SinkRecorder& sink, qint64 end, double tone) {
        return sink.toneLevelDb(end - 800 * kMsNs, end, tone);
    };
    std::fprintf(stderr,
                 "microphone: hall %.1f dB, dormitory %.1f dB; hall's programme before %.1f, "
                 "during %.1f, after %.1f dB\n",
                 level(hall, during, kAlarmTone), level(speakers, during, kAlarmTone),
                 level(hall, before, kProgrammeTone), level(hall, during, kProgrammeTone),
                 level(hall, after, kProgrammeTone));
    EXPECT_GT(level(hall, during, kAlarmTone), -40.0);
    EXPECT_LT(level(speakers, during, kAlarmTone), -60.0);
    EXPECT_LT(level(hall, during, kProgrammeTone), -60.0);
    // Within 3 dB: a busy machine's dropouts lower a level, ducking would take it away.
    EXPECT_NEAR(level(speakers, during, kProgrammeTone), level(speakers, before, kProgrammeTone),
                3.0);
    EXPECT_NEAR(level(hall, after, kProgrammeTone), level(hall, before, kProgrammeTone), 3.0);
    EXPECT_LT(level(hall, after, kAlarmTone), -60.0);
    runs.stopAllRuns(QStringLiteral("test"), 0, wholeSecond(clock.now()));
}
