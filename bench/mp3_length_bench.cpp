// MP3 lengths: 300 files made by ffmpeg (constant, variable and average bitrate, with and
// without a Xing header, mono and stereo, 22.05 to 48 kHz, quiet and busy stretches) and 90
// made by lame (constant, variable and average bitrate at MPEG-1, MPEG-2 and MPEG-2.5 rates,
// with and without its Xing and LAME tags), the probe against the length GStreamer decodes,
// and the time the probe takes per file.
//   build-ci/bench/mp3_length_bench [--folder FOLDER] [--old OLDER_PROGRAM]
// The files are kept in the folder for reruns; an earlier build's --probe is compared too.
// Needs ffmpeg and lame.
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <algorithm>
#include <cstdio>
#include <map>
#include <vector>

#include "audio/duration_probe.h"
#include "audio/gst_support.h"
#include "helpers/decoded_length.h"

namespace {

struct File {
    QString path;
    QString kind;  // "cbr", "vbr" or "abr", then "+xing" or "-xing"
    qint64 decoded = -1;
};

std::vector<File> makeFiles(const QString& folder) {
    QDir().mkpath(folder);
    const QStringList modes = {QStringLiteral("cbr"), QStringLiteral("vbr"), QStringLiteral("abr")};
    const int rates[] = {22050, 24000, 32000, 44100, 48000};
    std::vector<File> files;
    int n = 0;
    for (const QString& mode : modes) {
        for (const bool xing : {true, false}) {
            for (const int channels : {1, 2}) {
                for (const int rate : rates) {
                    for (int content = 0; content < 5; ++content, ++n) {
                        File f;
                        f.kind = mode + (xing ? QStringLiteral("+xing") : QStringLiteral("-xing"));
                        f.path = QStringLiteral("%1/%2-%3.mp3")
                                     .arg(folder)
                                     .arg(n, 3, 10, QLatin1Char('0'))
                                     .arg(f.kind);
                        // Quiet and busy stretches of different lengths and order.
                        const double quiet = 3 + (n * 7) % 23;
                        const double busy = 2 + (n * 5) % 17;
                        const QString tone =
                            QStringLiteral("sine=f=%1:d=%2").arg(220 + 40 * content).arg(quiet);
                        const QString noise =
                            QStringLiteral("anoisesrc=d=%1:a=0.%2").arg(busy).arg(2 + content);
                        QStringList encoder = {QStringLiteral("-ac"),
                                               QString::number(channels),
                                               QStringLiteral("-ar"),
                                               QString::number(rate),
                                               QStringLiteral("-c:a"),
                                               QStringLiteral("libmp3lame"),
                                               QStringLiteral("-write_xing"),
                                               xing ? QStringLiteral("1") : QStringLiteral("0")};
                        if (mode == QLatin1String("cbr")) {
                            encoder
                                << QStringLiteral("-b:a")
                                << (rate < 32000 ? QStringLiteral("64k") : QStringLiteral("128k"));
                        } else if (mode == QLatin1String("vbr")) {
                            encoder << QStringLiteral("-q:a") << QString::number(1 + content);
                        } else {
                            encoder << QStringLiteral("-abr") << QStringLiteral("1")
                                    << QStringLiteral("-b:a") << QStringLiteral("96k");
                        }
                        if (!QFileInfo::exists(f.path)) {
                            const QStringList inputs = content % 2 == 0 ? QStringList{tone, noise}
                                                                        : QStringList{noise, tone};
                            encodeWithFfmpeg(f.path, inputs,
                                             QStringLiteral("[0][1]concat=n=2:v=0:a=1"), encoder);
                        }
                        f.decoded = decodedLengthMs(f.path);
                        files.push_back(f);
                    }
                }
            }
        }
    }
    return files;
}

// lame's files: its tags carry the encoder delay and padding that GStreamer leaves out.
std::vector<File> makeLameFiles(const QString& folder) {
    QDir().mkpath(folder);
    const std::vector<std::pair<QString, QStringList>> modes = {
        {QStringLiteral("cbr"), {QStringLiteral("-b"), QStringLiteral("64")}},
        {QStringLiteral("vbr"), {QStringLiteral("-V"), QStringLiteral("3")}},
        {QStringLiteral("abr"), {QStringLiteral("--abr"), QStringLiteral("80")}},
    };
    // Two sample rates of each MPEG version.
    const std::vector<std::pair<QString, QStringList>> versions = {
        {QStringLiteral("mpeg1"), {QStringLiteral("44.1"), QStringLiteral("32")}},
        {QStringLiteral("mpeg2"), {QStringLiteral("24"), QStringLiteral("16")}},
        {QStringLiteral("mpeg2.5"), {QStringLiteral("11.025"), QStringLiteral("8")}},
    };
    std::vector<File> files;
    int n = 0;
    for (const auto& [mode, modeOptions] : modes) {
        for (const auto& [version, rates] : versions) {
            for (const bool tag : {true, false}) {
                for (int content = 0; content < 5; ++content, ++n) {
                    File f;
                    f.kind = QStringLiteral("lame %1 %2 %3")
                                 .arg(mode, version,
                                      tag ? QStringLiteral("+tag") : QStringLiteral("-tag"));
                    f.path = QStringLiteral("%1/%2-%3-%4-%5.mp3")
                                 .arg(folder)
                                 .arg(n, 3, 10, QLatin1Char('0'))
                                 .arg(mode, version,
                                      tag ? QStringLiteral("tag") : QStringLiteral("bare"));
                    if (!QFileInfo::exists(f.path)) {
                        // Quiet and busy stretches of different lengths and order, mono and
                        // stereo.
                        const QString wav = f.path + QStringLiteral(".wav");
                        const QString tone = QStringLiteral("sine=f=%1:d=%2")
                                                 .arg(220 + 40 * content)
                                                 .arg(2 + (n * 7) % 19);
                        const QString noise = QStringLiteral("anoisesrc=d=%1:a=0.%2")
                                                  .arg(1 + (n * 5) % 13)
                                                  .arg(2 + content);
                        encodeWithFfmpeg(
                            wav,
                            content % 2 == 0 ? QStringList{tone, noise} : QStringList{noise, tone},
                            QStringLiteral("[0][1]concat=n=2:v=0:a=1"),
                            {QStringLiteral("-ac"), QString::number(1 + content % 2)});
                        QStringList arguments =
                            QStringList{QStringLiteral("--quiet")} + modeOptions;
                        arguments << QStringLiteral("--resample") << rates[content % 2];
                        if (!tag) {
                            arguments << QStringLiteral("-t");
                        }
                        arguments << wav << f.path;
                        QProcess lame;
                        lame.start(QStringLiteral("lame"), arguments);
                        lame.waitForFinished(120000);
                        QFile::remove(wav);
                    }
                    f.decoded = decodedLengthMs(f.path);
                    files.push_back(f);
                }
            }
        }
    }
    return files;
}

struct Errors {
    qint64 worst = 0;
    int over5 = 0;
    int over100 = 0;
    int over300 = 0;
    int count = 0;
    void add(qint64 error) {
        worst = std::max(worst, error);
        over5 += error > 5 ? 1 : 0;
        over100 += error > 100 ? 1 : 0;
        over300 += error > 300 ? 1 : 0;
        ++count;
    }
};

// The probe over the files against their decoded lengths: errors by kind, time per file.
void measure(const char* maker, const std::vector<File>& files) {
    // Once to warm the disk cache, then timed.
    for (const File& f : files) {
        probeDurationMs(f.path);
    }
    std::map<QString, Errors> byKind;
    Errors all;
    std::vector<double> times;
    int undecoded = 0;
    for (const File& f : files) {
        if (f.decoded < 0) {
            ++undecoded;
            continue;
        }
        QElapsedTimer timer;
        timer.start();
        const qint64 probed = probeDurationMs(f.path);
        times.push_back(timer.nsecsElapsed() / 1e6);
        const qint64 error = probed < 0 ? f.decoded : std::abs(probed - f.decoded);
        all.add(error);
        byKind[f.kind].add(error);
    }
    if (times.empty()) {
        std::printf("%s files: none decoded (is the encoder installed?)\n", maker);
        return;
    }
    std::sort(times.begin(), times.end());
    double total = 0;
    for (const double t : times) {
        total += t;
    }
    std::printf(
        "%d MP3 files of %s (%d did not decode): probe against the decoded length, worst error "
        "%lld ms, %d over 5 ms, %d over 100 ms, %d over 300 ms\n",
        all.count, maker, undecoded, static_cast<long long>(all.worst), all.over5, all.over100,
        all.over300);
    for (const auto& [kind, e] : byKind) {
        std::printf("  %-22s %3d files: worst %5lld ms, %d over 5 ms, %d over 100 ms\n",
                    qPrintable(kind), e.count, static_cast<long long>(e.worst), e.over5, e.over100);
    }
    std::printf("probe time per file: median %.2f ms, mean %.2f ms, worst %.2f ms\n",
                times[times.size() / 2], total / static_cast<double>(times.size()), times.back());
}

// An earlier build's --probe over the same files.
void compareOlder(const QString& older, const char* maker, const std::vector<File>& files) {
    QStringList arguments{QStringLiteral("--probe")};
    for (const File& f : files) {
        arguments.append(f.path);
    }
    QProcess probe;
    QElapsedTimer timer;
    timer.start();
    probe.start(older, arguments);
    probe.waitForFinished(-1);
    const double perFile = timer.elapsed() / static_cast<double>(files.size());
    std::map<QString, qint64> lengths;
    for (const QByteArray& line : probe.readAllStandardOutput().split('\n')) {
        const QList<QByteArray> fields = line.split('\t');
        if (fields.size() == 2) {
            lengths[QString::fromUtf8(fields[1])] = fields[0].toLongLong();
        }
    }
    Errors before;
    for (const File& f : files) {
        if (f.decoded >= 0 && lengths.count(f.path) != 0) {
            before.add(std::abs(lengths[f.path] - f.decoded));
        }
    }
    std::printf(
        "%s --probe over %s files: worst error %lld ms, %d over 5 ms, %d over 100 ms, %d "
        "over 300 ms, %.1f ms per file\n",
        qPrintable(older), maker, static_cast<long long>(before.worst), before.over5,
        before.over100, before.over300, perFile);
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (!initAudioEngine()) {
        std::printf("GStreamer does not start\n");
        return 1;
    }
    const QStringList args = app.arguments();
    const auto option = [&](const char* name) {
        const qsizetype at = args.indexOf(QLatin1String(name));
        return at > 0 && at + 1 < args.size() ? args[at + 1] : QString();
    };
    const QString chosen = option("--folder");
    const QString folder =
        chosen.isEmpty() ? QDir::tempPath() + QStringLiteral("/kb-mp3-lengths") : chosen;
    const std::vector<File> files = makeFiles(folder);
    measure("ffmpeg's", files);
    const std::vector<File> lameFiles = makeLameFiles(folder + QStringLiteral("/lame"));
    measure("lame's", lameFiles);

    // --old PROGRAM: an earlier build's --probe over the same files, for comparison.
    const QString older = option("--old");
    if (!older.isEmpty()) {
        compareOlder(older, "ffmpeg's", files);
        compareOlder(older, "lame's", lameFiles);
    }
    return 0;
}
