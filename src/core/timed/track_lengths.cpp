#include "core/timed/track_lengths.h"

#include <QEventLoop>
#include <QPointer>
#include <algorithm>

#include "core/support/music_files.h"

namespace {

// A folder's typical track: the mean of this many of its first tracks.
constexpr int kSampledTracks = 3;

QString keyOf(const QString& path, bool folder) {
    return (folder ? QStringLiteral("d:") : QStringLiteral("f:")) + path;
}

}  // namespace

TrackLengths::TrackLengths(Probe probe, int threads, QObject* parent)
    : QObject(parent), probe_(std::move(probe)) {
    pool_.setMaxThreadCount(std::max(1, threads));
}

TrackLengths::~TrackLengths() {
    stopped_->store(true);
    pool_.clear();
    pool_.waitForDone();
}

qint64 TrackLengths::lengthMs(const QString& path, bool folder) {
    const QString key = keyOf(path, folder);
    if (const auto found = known_.constFind(key); found != known_.constEnd()) {
        return *found;
    }
    if (asked_.contains(key)) {
        return -1;
    }
    asked_.insert(key);
    ++pending_;
    QPointer<TrackLengths> self(this);
    pool_.start([self, key, path, folder, probe = probe_, stopped = stopped_] {
        if (stopped->load()) {
            return;
        }
        const qint64 ms = measure(probe, path, folder);
        QMetaObject::invokeMethod(
            self.data(),
            [self, key, ms] {
                if (self) {
                    self->known_.insert(key, ms);
                    --self->pending_;
                    emit self->found();
                }
            },
            Qt::QueuedConnection);
    });
    return -1;
}

void TrackLengths::waitForAll() {
    if (pending_ == 0) {
        return;
    }
    QEventLoop loop;
    connect(this, &TrackLengths::found, &loop, [this, &loop] {
        if (pending_ == 0) {
            loop.quit();
        }
    });
    loop.exec();
}

qint64 TrackLengths::measure(const Probe& probe, const QString& path, bool folder) {
    if (!folder) {
        return probe(path);
    }
    qint64 total = 0;
    int counted = 0;
    for (const QString& file : listPlayableFiles(path, kSampledTracks)) {
        const qint64 ms = probe(file);
        if (ms >= 0) {
            total += ms;
            ++counted;
        }
    }
    return counted > 0 ? total / counted : -1;
}
