// How late the voice of an announcement is heard: clicks played into a PulseAudio null sink,
// whose monitor is the "microphone", are timed there and at the zone's sink (KB-Hall) while the
// live route carries them; the median of 20, beside `pacat --record | pacat --playback` over
// the same two devices.
//   bash scripts/with-test-services.sh build-ci/bench/announcement_latency_bench [--clicks N]
#include <QCoreApplication>
#include <QEventLoop>
#include <QProcess>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "audio/gst_support.h"
#include "audio/live_route.h"
#include "helpers/sink_recorder.h"
#include "helpers/temporary_sink.h"

namespace {

constexpr qint64 kMsNs = 1'000'000;
constexpr int kClickSpacingMs = 500;
constexpr int kClickMs = 3;
// A click is full scale; the silence between is exactly zero.
constexpr double kClickDb = -20.0;
const QString kMicrophone = QStringLiteral("kb_bench_mic");

void spin(int milliseconds) {
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

// Plays the clicks into the microphone's sink, one every half second, and waits until done.
void playClicks(int clicks) {
    std::vector<qint16> samples(static_cast<size_t>(clicks) * SinkRecorder::kRate *
                                kClickSpacingMs / 1000);
    for (int c = 0; c < clicks; ++c) {
        const size_t at = static_cast<size_t>(c) * SinkRecorder::kRate * kClickSpacingMs / 1000;
        std::fill_n(samples.begin() + static_cast<qsizetype>(at),
                    SinkRecorder::kRate * kClickMs / 1000, qint16{30000});
    }
    QProcess pacat;
    pacat.start(QStringLiteral("pacat"),
                {QStringLiteral("--playback"), QStringLiteral("-d"), kMicrophone,
                 QStringLiteral("--raw"), QStringLiteral("--format=s16le"),
                 QStringLiteral("--rate=44100"), QStringLiteral("--channels=1")});
    pacat.waitForStarted();
    pacat.write(reinterpret_cast<const char*>(samples.data()),
                static_cast<qint64>(samples.size() * sizeof(qint16)));
    pacat.closeWriteChannel();
    pacat.waitForFinished(clicks * kClickSpacingMs + 10000);
    spin(500);
}

// Each click at the microphone and its first sound at the zone, in milliseconds. The first
// click tells roughly how late the zone is, whatever that is; each click is then looked for
// around that delay.
std::vector<double> delays(const SinkRecorder& microphone, const SinkRecorder& zone, qint64 fromNs,
                           int clicks) {
    std::vector<double> result;
    const qint64 half = kClickSpacingMs / 2 * kMsNs;
    const qint64 first = microphone.firstSoundNs(fromNs, kClickDb);
    if (first < 0) {
        return result;
    }
    const qint64 firstHeard = zone.firstSoundNs(first - 50 * kMsNs, kClickDb);
    if (firstHeard < 0) {
        return result;
    }
    const qint64 expected = firstHeard - first;
    qint64 from = fromNs;
    for (int c = 0; c < clicks; ++c) {
        const qint64 said = microphone.firstSoundNs(from, kClickDb);
        if (said < 0) {
            break;
        }
        const qint64 heard = zone.firstSoundNs(said + expected - half, kClickDb);
        if (heard >= 0 && heard < said + expected + half) {
            result.push_back(static_cast<double>(heard - said) / kMsNs);
        }
        from = said + half;
    }
    return result;
}

// The clicks through `pacat --record | pacat --playback` with the given extra options.
std::vector<double> pipedDelays(const SinkRecorder& microphone, const SinkRecorder& zone,
                                int clicks, const QStringList& options) {
    QProcess record;
    QProcess playback;
    record.setStandardOutputProcess(&playback);
    record.start(QStringLiteral("pacat"),
                 QStringList{QStringLiteral("--record"), QStringLiteral("-d"),
                             kMicrophone + QStringLiteral(".monitor"), QStringLiteral("--raw")} +
                     options);
    playback.start(QStringLiteral("pacat"),
                   QStringList{QStringLiteral("--playback"), QStringLiteral("-d"),
                               QStringLiteral("kb_hall"), QStringLiteral("--raw")} +
                       options);
    record.waitForStarted();
    playback.waitForStarted();
    spin(1500);
    const qint64 from = monotonicNs();
    playClicks(clicks);
    std::vector<double> result = delays(microphone, zone, from, clicks);
    for (QProcess* p : {&record, &playback}) {
        p->kill();
        p->waitForFinished(3000);
    }
    spin(500);
    return result;
}

void print(const char* what, std::vector<double> values) {
    std::sort(values.begin(), values.end());
    if (values.empty()) {
        std::printf("%-34s no click came through\n", what);
        return;
    }
    std::printf("%-34s median %6.1f ms  best %6.1f  worst %6.1f  (%zu clicks)\n", what,
                values[values.size() / 2], values.front(), values.back(), values.size());
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    int clicks = 20;
    const QStringList args = app.arguments();
    if (const qsizetype i = args.indexOf(QStringLiteral("--clicks"));
        i > 0 && i + 1 < args.size()) {
        clicks = std::max(1, args[i + 1].toInt());
    }
    if (!initAudioEngine()) {
        std::fprintf(stderr, "GStreamer did not start\n");
        return 1;
    }
    TemporarySink microphoneSink(kMicrophone, QStringLiteral("KB-Bench-Microphone"));
    if (!microphoneSink.loaded()) {
        std::fprintf(stderr, "no test sound server (run under scripts/with-test-services.sh)\n");
        return 1;
    }
    SinkRecorder microphone(kMicrophone);
    SinkRecorder zone(QStringLiteral("kb_hall"));
    if (!microphone.start() || !zone.start()) {
        std::fprintf(stderr, "the recorders did not start\n");
        return 1;
    }

    LiveRoute route;
    QString message;
    if (!route.startLive(kMicrophone + QStringLiteral(".monitor"), {QStringLiteral("KB-Hall")},
                         message)) {
        std::fprintf(stderr, "the live route did not start: %s\n", qPrintable(message));
        return 1;
    }
    // Past the chime, and settled.
    spin(TestChime::durationMs() + 1000);
    const qint64 from = monotonicNs();
    playClicks(clicks);
    const std::vector<double> live = delays(microphone, zone, from, clicks);
    route.stopLive();
    spin(500);

    // The same two devices through the sound server's own tools, piped as a shell would: as
    // typed, and asking for 10 ms buffers as the live route does.
    const std::vector<double> piped = pipedDelays(microphone, zone, clicks, {});
    const std::vector<double> pipedLow =
        pipedDelays(microphone, zone, clicks, {QStringLiteral("--latency-msec=10")});

    // Each sink is timed by a recorder of its own; their time stamps agree only within about
    // 15 ms (a figure below zero is that error, not sound ahead of the microphone).
    std::printf("microphone (null sink monitor) -> KB-Hall, %d clicks (each figure +-15 ms)\n",
                clicks);
    print("live route (喊话)", live);
    print("pacat --record | pacat --playback", piped);
    print("  the same, --latency-msec=10", pipedLow);
    // Samples the recorders missed on a busy machine shift what they timed.
    for (const SinkRecorder* recorder : {&microphone, &zone}) {
        const std::vector<qint16> samples = recorder->samples();
        const auto missed = std::count(samples.begin(), samples.end(), SinkRecorder::kMissing);
        if (missed > 0) {
            std::printf("(a recorder missed %.0f ms of %.0f s: the figures are rough)\n",
                        1000.0 * static_cast<double>(missed) / SinkRecorder::kRate,
                        static_cast<double>(samples.size()) / SinkRecorder::kRate);
        }
    }
    return 0;
}
