#pragma once

#include <QList>
#include <QMutex>
#include <QObject>
#include <QThread>
#include <functional>
#include <memory>
#include <vector>

#include "core/immediate/playlist.h"

class PlaylistModel;

// One thing to import: a music file, or a folder whose top-level music files are taken.
struct ImportSource {
    QString path;
    bool folder = false;
};

// The length of a music file in milliseconds, or -1; called on the worker thread.
using DurationProbe = std::function<qint64(const QString& path)>;

// A 32-bit value that the worker and the user-interface thread share.
class SharedCounter {
  public:
    qint32 get() const;
    void set(qint32 value);
    void add(qint32 amount);

  private:
    mutable QMutex mutex_;
    qint32 value_ = 0;
};

// Turns files and folders into playlist entries on a worker thread, measuring each file's
// length there. The user-interface thread watches the counters and takes the entries only
// after the worker has ended.
class ImportJob : public QObject {
    Q_OBJECT
  public:
    explicit ImportJob(DurationProbe probe, QObject* parent = nullptr);
    // Asks the worker to stop and waits for it.
    ~ImportJob() override;

    // Starts the worker. `room` is how many entries the playlist can still take.
    void start(const QList<ImportSource>& sources, int room);
    // Files taken so far, and files found so far.
    int progress() const { return progress_.get(); }
    int candidates() const { return candidates_.get(); }
    // The worker stops before its next file; nothing will be added.
    void cancel() { cancelled_.set(1); }
    bool isRunning() const { return thread_ && thread_->isRunning(); }
    // Blocks until the worker has ended; for callers without an event loop.
    bool wait(int milliseconds);

    // After finished(): adds the entries to the playlist (unless cancelled), warning when the
    // playlist could not take them all. True when entries were added.
    bool deliver(PlaylistModel& playlist, QObject* messageOwner);

  signals:
    // On the thread that started the job, after the worker has ended.
    void finished();

  private:
    void work();
    // False when the walk must stop.
    bool take(const QString& path);

    DurationProbe probe_;
    std::unique_ptr<QThread> thread_;
    QList<ImportSource> sources_;
    SharedCounter progress_;
    SharedCounter candidates_;
    SharedCounter cancelled_;
    // Written by the worker only; read only after it has ended.
    std::vector<PlaylistEntry> staged_;
    int room_ = 0;
    bool capacityHit_ = false;
};
