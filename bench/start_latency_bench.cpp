// How soon a programme is heard: the delay from the tick that starts it to its first sample
// on a PulseAudio null sink, over 20 starts of the real timed-play engine (ticks, prepared
// players, fade-in), and the same from the launch of `kelvora-broadcasting --play`, beside
// gst-launch-1.0 and paplay launched the same way.
//   bash scripts/with-test-services.sh build-ci/bench/start_latency_bench [--starts N]
#include <QCoreApplication>
#include <QDateTime>
#include <QEventLoop>
#include <QProcess>
#include <QRegularExpression>
#include <QTimer>
#include <QUrl>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <vector>

#include "audio/engine_checks.h"
#include "audio/gst_support.h"
#include "core/timed/dispatcher.h"
#include "core/timed/tick_timer.h"
#include "helpers/sink_recorder.h"
#include "helpers/tone_files.h"

namespace {

// A sample this far from zero is sound: the first step of the fade-in of a loud file is
// well above it, the silence before it is exactly zero.
constexpr int kHeardSample = 4;

struct Figures {
    double median = 0;
    double worst = 0;
    size_t count = 0;
};

Figures figures(std::vector<double> values) {
    Figures f;
    std::sort(values.begin(), values.end());
    f.count = values.size();
    if (!values.empty()) {
        f.median = values[values.size() / 2];
        f.worst = values.back();
    }
    return f;
}

// The first sample at or after `fromNs` that is heard, as a monotonic time, or -1.
qint64 firstHeardNs(const SinkRecorder& recorder, qint64 fromNs, qint64 untilNs) {
    if (!recorder.waitUntilRecorded(untilNs)) {
        return -1;
    }
    const std::vector<qint16> samples = recorder.samples();
    const qint64 start = recorder.startTimeNs();
    const auto index = [&](qint64 ns) {
        return std::clamp<qint64>((ns - start) * SinkRecorder::kRate / 1'000'000'000, 0,
                                  static_cast<qint64>(samples.size()));
    };
    for (qint64 i = index(fromNs); i < index(untilNs); ++i) {
        const qint16 s = samples[static_cast<size_t>(i)];
        if (s != SinkRecorder::kMissing && std::abs(static_cast<int>(s)) >= kHeardSample) {
            return start + i * 1'000'000'000 / SinkRecorder::kRate;
        }
    }
    return -1;
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
    qint64 tickNs = 0;  // the tick being run
    std::vector<qint64> startTicks;
    int failures = 0;
    void reportTimedEvent(const LocalDateTime&, const QString& text) override {
        if (text.endsWith(QStringLiteral("开始播放"))) {
            startTicks.push_back(tickNs);
        } else if (!text.endsWith(QStringLiteral("播放结束"))) {
            ++failures;
            std::printf("  %s\n", qPrintable(text));
        }
    }
};

// A recorder started just before each measurement: over minutes the monitor's sample count
// drifts away from the monotonic clock by milliseconds, which would bias later figures.
std::unique_ptr<SinkRecorder> freshRecorder() {
    auto recorder = std::make_unique<SinkRecorder>(QStringLiteral("kb_speakers"));
    return recorder->start() ? std::move(recorder) : nullptr;
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

    // One programme per start, 3 s apart, from a few seconds from now.
    constexpr int kApartMs = 3000;
    const QDateTime now = QDateTime::currentDateTime();
    const QDateTime first = now.addMSecs(5000 - now.time().msec());
    std::vector<std::unique_ptr<SinkRecorder>> recorders(static_cast<size_t>(starts));
    for (int i = 0; i < starts; ++i) {
        const QTime t = first.time().addMSecs(kApartMs * i);
        Programme p = newProgramme();
        setProgrammeName(p, QStringLiteral("铃声%1").arg(i));
        setProgrammePath(p, file);
        p.volume = 100;
        p.startTimes[0] = ClockTime{t.hour(), t.minute(), t.second()};
        table.append(p);
        QTimer::singleShot(
            static_cast<int>(now.msecsTo(first) + kApartMs * i - 1000),
            [&recorders, i] { recorders[static_cast<size_t>(i)] = freshRecorder(); });
    }
    TickTimer timer;
    QObject::connect(&timer, &TickTimer::tick, [&] {
        log.tickNs = monotonicNs();
        dispatcher.dispatchTick();
    });
    timer.start();
    QEventLoop loop;
    const qint64 runMs = now.msecsTo(first) + qint64{kApartMs} * starts + 1500;
    QTimer::singleShot(static_cast<int>(runMs), &loop, &QEventLoop::quit);
    loop.exec();
    timer.stop();

    std::vector<double> delays;
    for (size_t i = 0; i < log.startTicks.size() && i < recorders.size(); ++i) {
        const qint64 tick = log.startTicks[i];
        const qint64 heard =
            recorders[i] ? firstHeardNs(*recorders[i], tick - 20'000'000, tick + 1'000'000'000)
                         : -1;
        if (heard > 0) {
            delays.push_back((heard - tick) / 1e6);
        }
    }
    const Figures f = figures(delays);
    std::printf(
        "timed play, first sample after the starting tick, %zu of %d starts heard (%d failed): "
        "median %.1f ms, worst %.1f ms\n",
        f.count, starts, log.failures, f.median, f.worst);
}

struct Launches {
    std::vector<double> fromLaunch;
    std::vector<double> fromRun;  // for our own program, from the moment it says it runs
};

Launches launched(const QString& program, const QStringList& arguments, int runs) {
    Launches result;
    for (int i = 0; i < runs; ++i) {
        const std::unique_ptr<SinkRecorder> recorder = freshRecorder();
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
    const Figures run = figures(ours.fromRun);
    std::printf(
        "kelvora-broadcasting --play, first sample after it runs the player: median %.1f ms, "
        "worst %.1f ms (%zu of %d heard)\n",
        run.median, run.worst, run.count, runs);
    const Figures launch = figures(ours.fromLaunch);
    std::printf(
        "kelvora-broadcasting --play, first sample after the launch: median %.1f ms, worst "
        "%.1f ms\n",
        launch.median, launch.worst);
    const Figures playbin =
        figures(launched(QStringLiteral("gst-launch-1.0"),
                         {QStringLiteral("-q"), QStringLiteral("playbin"),
                          QStringLiteral("uri=") + QUrl::fromLocalFile(file).toString()},
                         runs)
                    .fromLaunch);
    std::printf(
        "gst-launch-1.0 playbin, after the launch: median %.1f ms, worst %.1f ms (%zu "
        "heard)\n",
        playbin.median, playbin.worst, playbin.count);
    const Figures paplay = figures(launched(QStringLiteral("paplay"), {file}, runs).fromLaunch);
    std::printf("paplay, after the launch: median %.1f ms, worst %.1f ms (%zu heard)\n",
                paplay.median, paplay.worst, paplay.count);
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
    if (!freshRecorder()) {
        std::printf("no test sound server (run under scripts/with-test-services.sh)\n");
        return 1;
    }
    const QString file = loudTone(toneFolder());
    engineStarts(file, starts);
    launches(file, starts);
    return 0;
}
