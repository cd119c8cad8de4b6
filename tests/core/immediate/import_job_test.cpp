#include <gtest/gtest.h>
#include <sys/stat.h>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QSemaphore>
#include <QSignalSpy>
#include <QTimer>
#include <atomic>

#include "audio/duration_probe.h"
#include "core/immediate/import_job.h"
#include "helpers/immediate_harness.h"
#include "helpers/temp_folder.h"

namespace {

// Runs the job to its end on this thread's event loop, as the import dialog does.
bool runToEnd(ImportJob& job, PlaylistModel& model, const QList<ImportSource>& sources) {
    QEventLoop loop;
    QObject::connect(&job, &ImportJob::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(60'000, &loop, &QEventLoop::quit);
    job.start(sources, kPlaylistCapacity - model.size());
    loop.exec();
    return job.deliver(model, nullptr);
}

QList<ImportSource> files(const QStringList& paths) {
    QList<ImportSource> sources;
    for (const QString& p : paths) {
        sources.append({p, false});
    }
    return sources;
}

QStringList wavFiles(const TempFolder& folder, const QString& prefix, int count) {
    QStringList paths;
    for (int i = 0; i < count; ++i) {
        paths.append(
            folder.file(QStringLiteral("%1%2.wav").arg(prefix).arg(i, 3, 10, QChar(u'0'))));
        writeSilentWav(paths.last(), 500);
    }
    return paths;
}

}  // namespace

TEST(ImportJob, FiftyFilesIntoTwoHundredEightyTakeTwentyAndWarn) {
    MessageLog messages;
    TempFolder folder;
    ImmediateSettings settings;
    for (int i = 0; i < 280; ++i) {
        settings.playlist.push_back(makePlaylistEntry(QStringLiteral("/m/old.mp3"), 1));
    }
    settings.playlist[5].playedThisRound = 1;
    PlaylistModel model(settings);
    ImportJob job(probeDurationMs);
    const QStringList paths = wavFiles(folder, QStringLiteral("new"), 50);
    EXPECT_TRUE(runToEnd(job, model, files(paths)));
    ASSERT_EQ(model.size(), 300);
    EXPECT_EQ(job.progress(), 20);
    EXPECT_EQ(entryPath(settings.playlist[280]), paths[0]);
    EXPECT_EQ(entryPath(settings.playlist[299]), paths[19]);
    EXPECT_EQ(settings.playlist[299].durationMs, 500);
    EXPECT_EQ(settings.playlist[5].playedThisRound, 0) << "an import starts a new random cycle";
    ASSERT_EQ(messages.texts(), QStringList{QStringLiteral("最多添加 300 首歌")});
    EXPECT_EQ(messages.shown[0].icon, MessageIcon::Warning);
}

TEST(ImportJob, CancellingAddsNothingEvenAfterSomeFilesWereStaged) {
    MessageLog messages;
    TempFolder folder;
    ImmediateSettings settings;
    PlaylistModel model(settings);
    QSemaphore gate;
    std::atomic<int> probed{0};
    // The worker waits after its third file until the test has pressed "取消".
    ImportJob job([&](const QString& path) {
        const qint64 ms = probeDurationMs(path);
        if (++probed == 3) {
            gate.acquire();
        }
        return ms;
    });
    QEventLoop loop;
    QObject::connect(&job, &ImportJob::finished, &loop, &QEventLoop::quit);
    job.start(files(wavFiles(folder, QStringLiteral("t"), 10)), kPlaylistCapacity);
    while (probed < 3) {
        QThread::msleep(5);
    }
    job.cancel();
    gate.release();
    loop.exec();
    EXPECT_EQ(job.progress(), 3);
    EXPECT_EQ(job.candidates(), 10);
    EXPECT_FALSE(job.deliver(model, nullptr));
    EXPECT_EQ(model.size(), 0);
    EXPECT_TRUE(messages.shown.isEmpty());
}

TEST(ImportJob, FolderGivesItsTopLevelMusicOnlyAndBadFilesGetNoLength) {
    MessageLog messages;
    TempFolder folder;
    const QString music = folder.file(QStringLiteral("music"));
    QDir().mkpath(music + QStringLiteral("/e.wav"));
    writeSilentWav(music + QStringLiteral("/A.WAV"), 1500);
    writeSilentWav(music + QStringLiteral("/e.wav/inner.wav"), 1000);
    writeBytes(music + QStringLiteral("/b.Flac"), QByteArray("not audio at all"));
    writeSilentWav(music + QStringLiteral("/c.mid"), 1000);
    writeSilentWav(music + QStringLiteral("/d"), 1000);
    // Opening a FIFO would block until a writer comes; it must be passed over.
    ASSERT_EQ(::mkfifo(QFile::encodeName(music + QStringLiteral("/pipe.mp3")).constData(), 0600),
              0);
    ImmediateSettings settings;
    PlaylistModel model(settings);
    ImportJob job(probeDurationMs);
    EXPECT_TRUE(runToEnd(job, model, {{music, true}}));
    QStringList names;
    for (const PlaylistEntry& e : settings.playlist) {
        names.append(entryFileName(e) + u'=' + QString::number(e.durationMs));
    }
    names.sort();
    EXPECT_EQ(names, (QStringList{QStringLiteral("A.WAV=1500"), QStringLiteral("b.Flac=-1")}));
    EXPECT_TRUE(messages.shown.isEmpty());
    for (const PlaylistEntry& e : settings.playlist) {
        EXPECT_EQ(e.isCurrent, 0);
    }
}

TEST(ImportJob, NothingFoundChangesNothing) {
    TempFolder folder;
    ImmediateSettings settings;
    PlaylistModel model(settings);
    QSignalSpy reset(&model, &QAbstractItemModel::rowsInserted);
    ImportJob job(probeDurationMs);
    EXPECT_FALSE(runToEnd(job, model, {{folder.path(), true}}));
    EXPECT_EQ(model.size(), 0);
    EXPECT_EQ(reset.size(), 0);
}
