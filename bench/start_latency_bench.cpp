// How soon a programme is heard after its second T, recorded from PulseAudio null sinks:
//  - the real timed-play engine (ticks, prepared players, the start run ahead on the clock)
//    over 20 starts on a free zone, beside paplay launched at T in the same run;
//  - two copies of `kelvora-broadcasting --headless`, one per sink, ringing the same seconds:
//    each against T and against each other;
//  - the delay from the launch of `kelvora-broadcasting --play`, gst-launch-1.0 and paplay.
// A start run ahead is placed to be played at T after the output's delay as the sound server
// reports it, which on a sound card is the time it is heard. A null sink has nothing behind
// it: its recording hands a sample on when it is mixed, ahead of that delay, so such starts
// show a few milliseconds early here (more on a sink set to a longer delay); paplay, which
// is not placed on a clock, is recorded when mixed too.
//   bash scripts/with-test-services.sh build-ci/bench/start_latency_bench [--starts N]
//        [--only engine|paplay|programs|launches]
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QEventLoop>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QUrl>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <set>
#include <vector>

#include "audio/engine_checks.h"
#include "audio/gst_support.h"
#include "core/settings/settings_file.h"
#include "core/timed/dispatcher.h"
#include "core/timed/programme_file.h"
#include "core/timed/tick_timer.h"
#include "helpers/sink_recorder.h"
#include "helpers/tone_files.h"

namespace {

// A sample this far from zero is sound: the first step of the fade-in of a loud file is
// well above it, the silence before it is exactly zero.
constexpr int kHeardSample = 4;
// Starts this far apart, so that each bell has ended before the next.
constexpr int kApartMs = 3000;

struct Figures {
    double median = 0;
    double worst = 0;
    size_t count = 0;
};

// The worst is the one furthest from zero, early or late.
Figures figures(std::vector<double> values) {
    Figures f;
    std::sort(values.begin(), values.end());
    f.count = values.size();
    if (!values.empty()) {
        f.median = values[values.size() / 2];
        f.worst =
            std::abs(values.front()) > std::abs(values.back()) ? values.front() : values.back();
    }
    return f;
}

void print(const char* what, const Figures& f, int of) {
    std::printf("%-62s median %6.1f ms, worst %6.1f ms (%zu of %d heard)\n", what, f.median,
                f.worst, f.count, of);
}

// The monotonic time (ns) at which the wall clock reads `t`, from both clocks read now.
qint64 monotonicNsAt(const QDateTime& t) {
    const qint64 mono = g_get_monotonic_time();
    const qint64 wall = g_get_real_time();
    return (mono + (t.toMSecsSinceEpoch() * 1000 - wall)) * 1000;
}

// The first sample at or after `fromNs` that is heard, as a monotonic time, or -1.
qint64 firstHeardNs(const SinkRecorder& recorder, qint64 fromNs, qint64 untilNs) {
    if (!recorder.waitUntilRecorded(untilNs)) {
        return -1;
    }
    const std::vector<qint16> samples = recorder.samples();
    const auto index = [&](qint64 ns) {
        return std::clamp<qint64>(recorder.sampleIndexAt(ns), 0,
                                  static_cast<qint64>(samples.size()));
    };
    for (qint64 i = index(fromNs); i < index(untilNs); ++i) {
        const qint16 s = samples[static_cast<size_t>(i)];
        if (s != SinkRecorder::kMissing && std::abs(static_cast<int>(s)) >= kHeardSample) {
            return recorder.timeOfSample(i);
        }
    }
    return -1;
}

// Milliseconds from `t` to the first sample heard in the second after it, or NaN.
double heardAfter(const SinkRecorder* recorder, const QDateTime& t) {
    if (recorder == nullptr) {
        return std::nan("");
    }
    const qint64 at = monotonicNsAt(t);
    const qint64 heard = firstHeardNs(*recorder, at - 500'000'000, at + 1'000'000'000);
    return heard > 0 ? (heard - at) / 1e6 : std::nan("");
}

QString loudTone(const QString& folder) {
    const QString path = folder + QStringLiteral("/loud-bell.wav");
    QProcess::execute(QStringLiteral("ffmpeg"),
                      {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-y"),
                       QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                       QStringLiteral("aevalsrc=0.9*sin(2*PI*660*t):d=0.6:s=44100"), path});
    return path;
}

struct StartLog : TimedEventReporter {
    int starts = 0;
    int failures = 0;
    void reportTimedEvent(const LocalDateTime&, const QString& text) override {
        if (text.endsWith(QStringLiteral("开始播放"))) {
            ++starts;
        } else if (!text.endsWith(QStringLiteral("播放结束"))) {
            ++failures;
            std::printf("  %s\n", qPrintable(text));
        }
    }
};

// A recorder started just before each measurement: over minutes the monitor's sample count
// drifts away from the monotonic clock by milliseconds, which would bias later figures. Its
// samples are timed by their place in the stream, bounded by every capture after them.
std::unique_ptr<SinkRecorder> freshRecorder(const QString& sink) {
    auto recorder = std::make_unique<SinkRecorder>(sink);
    return recorder->start() ? std::move(recorder) : nullptr;
}

// The whole seconds of the starts: the first a few seconds from now, then kApartMs apart.
std::vector<QDateTime> startSeconds(int starts, int secondsAhead) {
    const QDateTime now = QDateTime::currentDateTime();
    const QDateTime first = now.addMSecs(secondsAhead * 1000 - now.time().msec());
    std::vector<QDateTime> seconds;
    for (int i = 0; i < starts; ++i) {
        seconds.push_back(first.addMSecs(qint64{kApartMs} * i));
    }
    return seconds;
}

Programme bellAt(const QString& name, const QString& file, const QDateTime& t) {
    Programme p = newProgramme();
    setProgrammeName(p, name);
    setProgrammePath(p, file);
    p.volume = 100;
    p.startTimes[0] = ClockTime{t.time().hour(), t.time().minute(), t.time().second()};
    return p;
}

// Calls `measure(i)` for each start about a second after it, and `before(i)` a second before.
void runAlong(const std::vector<QDateTime>& seconds, const std::function<void(int)>& before,
              const std::function<void(int)>& measure) {
    const QDateTime now = QDateTime::currentDateTime();
    for (size_t i = 0; i < seconds.size(); ++i) {
        const int k = static_cast<int>(i);
        QTimer::singleShot(static_cast<int>(now.msecsTo(seconds[i]) - 1000),
                           [&before, k] { before(k); });
    }
    QEventLoop loop;
    QTimer::singleShot(static_cast<int>(now.msecsTo(seconds.back()) + 1500), &loop,
                       &QEventLoop::quit);
    loop.exec();
    for (size_t i = 0; i < seconds.size(); ++i) {
        measure(static_cast<int>(i));
    }
}

void engineStarts(const QString& file, int starts) {
    SystemClock clock;
    StartLog log;
    GstAudioBackend backend;
    SystemSettings settings = firstRunSettings();
    setOutputDeviceName(settings, QStringLiteral("KB-Speakers"));
    ProgrammeTable table;
    HolidayCalendar calendar;
    RunEngine runs(clock, backend, log, settings);
    Dispatcher dispatcher(clock, table, calendar, runs, log);

    const std::vector<QDateTime> seconds = startSeconds(starts, 5);
    for (int i = 0; i < starts; ++i) {
        table.append(
            bellAt(QStringLiteral("铃声%1").arg(i), file, seconds[static_cast<size_t>(i)]));
    }
    std::vector<std::unique_ptr<SinkRecorder>> recorders(static_cast<size_t>(starts));
    TickTimer timer;
    std::set<QString> ahead;  // the starts that were run ahead on the clock
    QObject::connect(&timer, &TickTimer::tick, [&] {
        dispatcher.dispatchTick();
        if (const RunEngine::EarlyStart* early = runs.earlyStart()) {
            ahead.insert(early->name);
        }
    });
    timer.start();
    std::vector<double> delays;
    runAlong(
        seconds,
        [&](int i) {
            recorders[static_cast<size_t>(i)] = freshRecorder(QStringLiteral("kb_speakers"));
        },
        [&](int i) {
            const double ms = heardAfter(recorders[static_cast<size_t>(i)].get(),
                                         seconds[static_cast<size_t>(i)]);
            if (!std::isnan(ms)) {
                delays.push_back(ms);
            }
        });
    timer.stop();
    std::printf("timed play on a free zone (%d started, %d failed, %zu run ahead):\n", log.starts,
                log.failures, ahead.size());
    print("  first sample - T", figures(delays), starts);
    std::printf("  each:");
    for (const double ms : delays) {
        std::printf(" %.1f", ms);
    }
    std::printf("\n");
}

// paplay launched at T by a timer that wakes just before it and waits out the rest.
void paplayAtT(const QString& file, int starts) {
    const std::vector<QDateTime> seconds = startSeconds(starts, 3);
    std::vector<std::unique_ptr<SinkRecorder>> recorders(static_cast<size_t>(starts));
    std::vector<std::unique_ptr<QProcess>> players;
    std::vector<double> delays;
    runAlong(
        seconds,
        [&](int i) {
            recorders[static_cast<size_t>(i)] = freshRecorder(QStringLiteral("kb_speakers"));
            const qint64 at = monotonicNsAt(seconds[static_cast<size_t>(i)]);
            QTimer::singleShot(static_cast<int>((at - monotonicNs()) / 1'000'000) - 20,
                               Qt::PreciseTimer, [&players, file, at] {
                                   while (monotonicNs() < at) {
                                   }
                                   players.push_back(std::make_unique<QProcess>());
                                   players.back()->start(QStringLiteral("paplay"), {file});
                               });
        },
        [&](int i) {
            const double ms = heardAfter(recorders[static_cast<size_t>(i)].get(),
                                         seconds[static_cast<size_t>(i)]);
            if (!std::isnan(ms)) {
                delays.push_back(ms);
            }
        });
    for (const auto& p : players) {
        p->waitForFinished(5000);
    }
    print("paplay launched at T, first sample - T", figures(delays), starts);
}

// Two copies of the program, each with its own data folder and sink, ring the same seconds.
void twoPrograms(const QString& file, int starts) {
    const std::vector<QDateTime> seconds = startSeconds(starts, 6);
    struct Copy {
        QString device;
        QString sink;
        QTemporaryDir roaming;
        QProcess process;
        std::vector<std::unique_ptr<SinkRecorder>> recorders;
    };
    Copy copies[2];
    copies[0].device = QStringLiteral("KB-Speakers");
    copies[0].sink = QStringLiteral("kb_speakers");
    copies[1].device = QStringLiteral("KB-Hall");
    copies[1].sink = QStringLiteral("kb_hall");
    for (Copy& copy : copies) {
        const QString data = copy.roaming.path() + QStringLiteral("/KelvoraBroadcasting9");
        QDir().mkpath(data);
        ProgrammeTable table;
        for (int i = 0; i < starts; ++i) {
            table.append(
                bellAt(QStringLiteral("铃声%1").arg(i), file, seconds[static_cast<size_t>(i)]));
        }
        SystemSettings settings = firstRunSettings();
        setOutputDeviceName(settings, copy.device);
        QString message;
        if (!saveProgrammes(data, table, true, message) ||
            !saveSystemSettings(data, settings, message)) {
            std::printf("cannot write the data files: %s\n", qPrintable(message));
            return;
        }
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_DATA_HOME"), copy.roaming.path());
        // Each copy is its own single instance.
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), copy.roaming.path());
        copy.process.setProcessEnvironment(env);
        copy.process.setStandardOutputFile(QProcess::nullDevice());
        copy.process.setStandardErrorFile(QProcess::nullDevice());
        copy.process.start(QStringLiteral(KB_PROGRAM_PATH), {QStringLiteral("--headless")});
        copy.recorders.resize(static_cast<size_t>(starts));
    }
    std::vector<double> apart;
    std::vector<double> late[2];
    runAlong(
        seconds,
        [&](int i) {
            for (Copy& copy : copies) {
                copy.recorders[static_cast<size_t>(i)] = freshRecorder(copy.sink);
            }
        },
        [&](int i) {
            double ms[2];
            for (int c = 0; c < 2; ++c) {
                ms[c] = heardAfter(copies[c].recorders[static_cast<size_t>(i)].get(),
                                   seconds[static_cast<size_t>(i)]);
                if (!std::isnan(ms[c])) {
                    late[c].push_back(ms[c]);
                }
            }
            if (!std::isnan(ms[0]) && !std::isnan(ms[1])) {
                apart.push_back(std::abs(ms[0] - ms[1]));
            }
        });
    for (Copy& copy : copies) {
        copy.process.terminate();
        copy.process.waitForFinished(10000);
    }
    std::printf("two copies of kelvora-broadcasting --headless, the same seconds:\n");
    print("  on KB-Speakers, first sample - T", figures(late[0]), starts);
    print("  on KB-Hall, first sample - T", figures(late[1]), starts);
    print("  between the two sinks", figures(apart), starts);
}

struct Launches {
    std::vector<double> fromLaunch;
    std::vector<double> fromRun;  // for our own program, from the moment it says it runs
};

Launches launched(const QString& program, const QStringList& arguments, int runs) {
    Launches result;
    for (int i = 0; i < runs; ++i) {
        const std::unique_ptr<SinkRecorder> recorder = freshRecorder(QStringLiteral("kb_speakers"));
        if (!recorder) {
            continue;
        }
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("kb.audio.debug=true"));
        process.setProcessEnvironment(env);
        process.setStandardOutputFile(QProcess::nullDevice());
        const qint64 begin = monotonicNs();
        process.start(program, arguments);
        process.waitForFinished(10000);
        const qint64 heard = firstHeardNs(*recorder, begin, begin + 2'000'000'000);
        if (heard <= 0) {
            continue;
        }
        result.fromLaunch.push_back((heard - begin) / 1e6);
        const QRegularExpressionMatch running =
            QRegularExpression(QStringLiteral("running at (\\d+) ns"))
                .match(QString::fromUtf8(process.readAllStandardError()));
        if (running.hasMatch()) {
            result.fromRun.push_back((heard - running.captured(1).toLongLong()) / 1e6);
        }
    }
    return result;
}

void launches(const QString& file, int runs) {
    const Launches ours =
        launched(QStringLiteral(KB_PROGRAM_PATH),
                 {QStringLiteral("--play"), file, QStringLiteral("--device"),
                  QStringLiteral("KB-Speakers"), QStringLiteral("--volume"), QStringLiteral("100")},
                 runs);
    print("kelvora-broadcasting --play, after it runs the player", figures(ours.fromRun), runs);
    print("kelvora-broadcasting --play, after the launch", figures(ours.fromLaunch), runs);
    print("gst-launch-1.0 playbin, after the launch",
          figures(launched(QStringLiteral("gst-launch-1.0"),
                           {QStringLiteral("-q"), QStringLiteral("playbin"),
                            QStringLiteral("uri=") + QUrl::fromLocalFile(file).toString()},
                           runs)
                      .fromLaunch),
          runs);
    print("paplay, after the launch",
          figures(launched(QStringLiteral("paplay"), {file}, runs).fromLaunch), runs);
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int at = static_cast<int>(args.indexOf(QStringLiteral("--starts")));
    const int starts = at > 0 && at + 1 < args.size() ? args[at + 1].toInt() : 20;
    if (!initAudioEngine()) {
        std::printf("GStreamer does not start\n");
        return 1;
    }
    warmUpAudioEngine();
    if (!freshRecorder(QStringLiteral("kb_speakers")) ||
        !freshRecorder(QStringLiteral("kb_hall"))) {
        std::printf("no test sound server (run under scripts/with-test-services.sh)\n");
        return 1;
    }
    const QString file = loudTone(toneFolder());
    // --only engine|paplay|programs|launches runs that part alone.
    const int only = static_cast<int>(args.indexOf(QStringLiteral("--only")));
    const QString part = only > 0 && only + 1 < args.size() ? args[only + 1] : QString();
    const auto wanted = [&](const char* name) {
        return part.isEmpty() || part == QLatin1String(name);
    };
    if (wanted("engine")) {
        engineStarts(file, starts);
    }
    if (wanted("paplay")) {
        paplayAtT(file, starts);
    }
    if (wanted("programs")) {
        twoPrograms(file, starts);
    }
    if (wanted("launches")) {
        launches(file, starts);
    }
    return 0;
}
