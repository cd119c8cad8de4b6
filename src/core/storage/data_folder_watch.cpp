#include "core/storage/data_folder_watch.h"

#include <sys/stat.h>
#include <QFile>
#include <QMutex>
#include <QMutexLocker>

namespace {

// Often enough that a replaced file is read within two seconds: seen on one look and read on
// the next, once it held still.
constexpr int kLookMs = 400;

QMutex& ownWritesLock() {
    static QMutex lock;
    return lock;
}

QHash<QString, FileIdentity>& ownWrites() {
    static QHash<QString, FileIdentity> writes;
    return writes;
}

qint64 nanoseconds(const timespec& t) {
    return qint64{t.tv_sec} * 1'000'000'000 + t.tv_nsec;
}

}  // namespace

FileIdentity identityOf(const QString& path) {
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return {};
    }
    return {static_cast<qint64>(info.st_dev), static_cast<qint64>(info.st_ino),
            static_cast<qint64>(info.st_size), nanoseconds(info.st_mtim),
            nanoseconds(info.st_ctim)};
}

void noteOwnWrite(const QString& path) {
    const FileIdentity identity = identityOf(path);
    QMutexLocker locked(&ownWritesLock());
    ownWrites().insert(path, identity);
}

DataFolderWatch::DataFolderWatch(const QString& dataFolder, const QStringList& fileNames,
                                 QObject* parent)
    : QObject(parent), folder_(dataFolder), names_(fileNames) {
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, this, &DataFolderWatch::look);
    connect(&poll_, &QTimer::timeout, this, &DataFolderWatch::look);
}

void DataFolderWatch::start() {
    for (const QString& name : names_) {
        known_.insert(name, identityOf(folder_ + u'/' + name));
    }
    watcher_.addPath(folder_);
    poll_.start(kLookMs);
}

void DataFolderWatch::look() {
    for (const QString& name : names_) {
        const QString path = folder_ + u'/' + name;
        const FileIdentity now = identityOf(path);
        FileIdentity own;
        {
            QMutexLocker locked(&ownWritesLock());
            own = ownWrites().value(path);
        }
        // A removed file is no new table: the tables in memory stay as they are.
        if (!now.exists() || now == known_.value(name) || now == own) {
            known_.insert(name, now.exists() ? now : known_.value(name));
            settling_.remove(name);
            continue;
        }
        // A file still being written in place changes again before the next look.
        if (settling_.value(name) != now) {
            settling_.insert(name, now);
            continue;
        }
        settling_.remove(name);
        known_.insert(name, now);
        emit replaced(name);
    }
}
