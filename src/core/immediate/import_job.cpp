#include "core/immediate/import_job.h"

#include <sys/stat.h>
#include <QFile>

#include "core/immediate/immediate_texts.h"
#include "core/immediate/playlist_model.h"
#include "core/support/log_categories.h"
#include "core/support/messages.h"
#include "core/support/music_files.h"

namespace {

// The longest path an entry can hold.
constexpr int kMaxPathUnits = 259;

// A FIFO or a device would block the probe; a folder is no track.
bool isOtherThanRegularFile(const QString& path) {
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 && !S_ISREG(info.st_mode);
}

}  // namespace

qint32 SharedCounter::get() const {
    QMutexLocker lock(&mutex_);
    return value_;
}

void SharedCounter::set(qint32 value) {
    QMutexLocker lock(&mutex_);
    value_ = value;
}

void SharedCounter::add(qint32 amount) {
    QMutexLocker lock(&mutex_);
    value_ += amount;
}

ImportJob::ImportJob(DurationProbe probe, QObject* parent)
    : QObject(parent), probe_(std::move(probe)) {}

ImportJob::~ImportJob() {
    if (thread_) {
        cancel();
        thread_->wait();
    }
}

void ImportJob::start(const QList<ImportSource>& sources, int room) {
    progress_.set(0);
    cancelled_.set(0);
    staged_.clear();
    capacityHit_ = false;
    room_ = room;
    sources_ = sources;
    qint32 files = 0;
    for (const ImportSource& source : sources) {
        files += source.folder ? 0 : 1;
    }
    candidates_.set(files);
    thread_.reset(QThread::create([this] { work(); }));
    connect(thread_.get(), &QThread::finished, this, &ImportJob::finished);
    thread_->start();
}

bool ImportJob::wait(int milliseconds) {
    return !thread_ || thread_->wait(QDeadlineTimer(milliseconds));
}

void ImportJob::work() {
    for (const ImportSource& source : sources_) {
        if (!source.folder) {
            if (!take(source.path)) {
                return;
            }
            continue;
        }
        // One more than there is room for tells that the playlist is full.
        const int wanted = room_ - static_cast<int>(staged_.size()) + 1;
        const QStringList files = listPlayableFiles(source.path, wanted);
        candidates_.add(static_cast<qint32>(files.size()));
        for (const QString& file : files) {
            if (!take(file)) {
                return;
            }
        }
    }
}

bool ImportJob::take(const QString& path) {
    if (cancelled_.get() != 0) {
        return false;
    }
    if (static_cast<int>(staged_.size()) >= room_) {
        capacityHit_ = true;
        return false;
    }
    if (path.size() > kMaxPathUnits || isOtherThanRegularFile(path)) {
        qCWarning(lcImmediate) << "not imported:" << path;
    } else {
        staged_.push_back(makePlaylistEntry(path, storableDuration(probe_(path))));
    }
    progress_.add(1);
    return true;
}

bool ImportJob::deliver(PlaylistModel& playlist, QObject* messageOwner) {
    if (thread_) {
        // After finished() the worker is at most returning.
        thread_->wait();
    }
    std::vector<PlaylistEntry> entries = std::move(staged_);
    staged_.clear();
    if (cancelled_.get() != 0) {
        return false;
    }
    if (capacityHit_) {
        showMessage(MessageIcon::Warning, ImmediateTexts::tooManyTracks(), messageOwner);
    }
    if (entries.empty()) {
        return false;
    }
    playlist.append(entries);
    playlist.clearPlayedFlags();
    return true;
}
