// Open-to-first-sample latency on a null sink, and the duration probe against ffprobe.
//   bash scripts/with-test-services.sh build/bench/audio_bench
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "audio/audio_player.h"
#include "audio/duration_probe.h"
#include "audio/gst_support.h"
#include "audio/output_devices.h"
#include "helpers/sink_recorder.h"
#include "helpers/tone_files.h"

namespace {

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0.0 : values[values.size() / 2];
}

void openToFirstSample() {
    SinkRecorder recorder(QStringLiteral("kb_speakers"));
    if (!recorder.start()) {
        std::printf(
            "open-to-first-sample: no test sound server (run under "
            "scripts/with-test-services.sh)\n");
        return;
    }
    for (const char* ext : {"wav", "mp3"}) {
        const QString file = toneFile(QString::fromLatin1(ext), 1.0);
        std::vector<double> latencies;
        std::vector<double> opens;
        for (int i = 0; i < 20; ++i) {
            QThread::msleep(300);
            const qint64 begin = monotonicNs();
            AudioPlayer player;
            if (player.open(file, QStringLiteral("KB-Speakers")) != 0) {
                std::printf("open failed\n");
                return;
            }
            opens.push_back((monotonicNs() - begin) / 1e6);
            player.setVolume(0);
            player.run();
            QThread::msleep(400);
            const qint64 first = recorder.firstSoundNs(begin, -60.0);
            player.stop();
            player.close();
            if (first > 0) {
                latencies.push_back((first - begin) / 1e6);
            }
        }
        std::printf(
            "open-to-first-sample, %s on a PulseAudio null sink: median %.1f ms over %zu opens "
            "(open itself: median %.1f ms)\n",
            ext, median(latencies), latencies.size(), median(opens));
    }
}

void probeAgainstFfprobe() {
    const QString folder = toneFolder() + QStringLiteral("/probe");
    QDir().mkpath(folder);
    const QStringList kinds = {QStringLiteral("mp3"), QStringLiteral("flac"),
                               QStringLiteral("m4a"), QStringLiteral("ogg"),
                               QStringLiteral("wma"), QStringLiteral("wav")};
    QStringList files;
    for (int i = 0; i < 300; ++i) {
        const QString ext = kinds[i % kinds.size()];
        const QString target =
            QStringLiteral("%1/%2.%3").arg(folder).arg(i, 3, 10, QLatin1Char('0')).arg(ext);
        QFile::copy(toneFile(ext, 30.0), target);
        files.append(target);
    }
    QElapsedTimer timer;
    timer.start();
    int known = 0;
    for (const QString& file : files) {
        known += probeDurationMs(file) >= 0 ? 1 : 0;
    }
    const double ours = timer.elapsed() / 300.0;
    timer.restart();
    for (const QString& file : files) {
        QProcess ffprobe;
        ffprobe.start(QStringLiteral("ffprobe"),
                      {QStringLiteral("-v"), QStringLiteral("error"),
                       QStringLiteral("-show_entries"), QStringLiteral("format=duration"), file});
        ffprobe.waitForFinished(10000);
    }
    const double theirs = timer.elapsed() / 300.0;
    std::printf(
        "duration probe over 300 files of 30 s (mp3, flac, m4a, ogg, wma, wav): %.1f ms per file "
        "(%d known); ffprobe, a process per file: %.1f ms per file\n",
        ours, known, theirs);
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    initAudioEngine();
    openToFirstSample();
    probeAgainstFfprobe();
    return 0;
}
