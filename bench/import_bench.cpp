// Time to import 300 music files into the immediate playlist (worker thread, duration probe).
//   bash scripts/with-test-services.sh build-ci/bench/import_bench
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <cstdio>

#include "audio/duration_probe.h"
#include "audio/gst_support.h"
#include "core/immediate/import_job.h"
#include "core/immediate/playlist_model.h"
#include "helpers/tone_files.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    initAudioEngine();
    const QString folder = toneFolder() + QStringLiteral("/import");
    QDir().mkpath(folder);
    const QStringList kinds = {QStringLiteral("mp3"), QStringLiteral("flac"),
                               QStringLiteral("m4a"), QStringLiteral("ogg"),
                               QStringLiteral("wma"), QStringLiteral("wav")};
    for (int i = 0; i < 300; ++i) {
        const QString ext = kinds[i % kinds.size()];
        QFile::copy(
            toneFile(ext, 180.0),
            QStringLiteral("%1/%2.%3").arg(folder).arg(i, 3, 10, QLatin1Char('0')).arg(ext));
    }
    ImmediateSettings settings;
    PlaylistModel playlist(settings);
    ImportJob job(probeDurationMs);
    QEventLoop loop;
    QObject::connect(&job, &ImportJob::finished, &loop, &QEventLoop::quit);
    QElapsedTimer timer;
    timer.start();
    job.start({{folder, true}}, kPlaylistCapacity);
    loop.exec();
    job.deliver(playlist, nullptr);
    const double seconds = timer.elapsed() / 1000.0;
    int known = 0;
    for (const PlaylistEntry& e : settings.playlist) {
        known += e.durationMs >= 0 ? 1 : 0;
    }
    std::printf(
        "import of a folder of 300 files of 3 minutes (mp3, flac, m4a, ogg, wma, wav): "
        "%.1f s, %zu entries, %d with a length\n",
        seconds, settings.playlist.size(), known);
    return 0;
}
