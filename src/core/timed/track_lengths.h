#pragma once

#include <QHash>
#include <QObject>
#include <QSet>
#include <QString>
#include <QThreadPool>
#include <atomic>
#include <functional>
#include <memory>

// The length of the music a programme plays: of its file, or of a typical track of its folder
// (the mean of its first tracks by name). Found on a worker thread, since a probe may take
// seconds, and kept for the life of this object.
class TrackLengths : public QObject {
    Q_OBJECT
  public:
    // Milliseconds or -1; called on the worker thread.
    using Probe = std::function<qint64(const QString& file)>;

    // Probes run one at a time unless more threads are given.
    explicit TrackLengths(Probe probe, int threads = 1, QObject* parent = nullptr);
    // Waits for at most the probe under way.
    ~TrackLengths() override;

    // The length in milliseconds, or -1 when it cannot be found or is not known yet; a path
    // not asked for before is queued.
    qint64 lengthMs(const QString& path, bool folder);
    // Paths queued and not yet answered.
    int pending() const { return pending_; }
    // Runs the event loop until every queued path is answered.
    void waitForAll();

  signals:
    // A length became known.
    void found();

  private:
    static qint64 measure(const Probe& probe, const QString& path, bool folder);

    Probe probe_;
    QHash<QString, qint64> known_;  // by path and kind; absent while queued
    QSet<QString> asked_;
    int pending_ = 0;
    std::shared_ptr<std::atomic<bool>> stopped_ = std::make_shared<std::atomic<bool>>(false);
    QThreadPool pool_;
};
