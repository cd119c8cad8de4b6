#include "core/storage/log_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QFile>
#include <cerrno>

#include "core/storage/folders.h"
#include "core/support/access_rights.h"
#include "core/support/system_text.h"

namespace {

bool writeOnce(int fd, const QByteArray& bytes, int& error) {
    const ssize_t written = ::write(fd, bytes.constData(), static_cast<size_t>(bytes.size()));
    if (written != bytes.size()) {
        error = written < 0 ? errno : ENOSPC;
        return false;
    }
    return true;
}

// False when the descriptor is not a regular file.
bool inspect(int fd, qint64 limitBytes, LogTail& log) {
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        return false;
    }
    unsigned char mark[2] = {0, 0};
    const bool hasMark = ::pread(fd, mark, 2, 0) == 2 && mark[0] == 0xFF && mark[1] == 0xFE;
    log.append = hasMark && info.st_size < limitBytes;
    if (log.append) {
        log.oddSize = info.st_size % 2 != 0;
        unsigned char last[2] = {0, 0};
        const off_t at = info.st_size - 2;
        log.lineOpen =
            log.oddSize ||
            (at >= 2 && (::pread(fd, last, 2, at) != 2 || last[0] != '\n' || last[1] != 0));
    }
    return true;
}

// The log's place is a file: a folder in the way goes, access is repaired where it can be.
bool clearThePlace(const QString& path, AccessRepairs& repairs, LogFailure& failure) {
    PathState state = pathState(path);
    if (state == PathState::AccessDenied) {
        repairs.repairFolder();
        state = pathState(path);
        if (state == PathState::AccessDenied) {
            failure.what = QStringLiteral("拒绝访问");
            return false;
        }
    }
    struct stat info {};
    if (::lstat(QFile::encodeName(path).constData(), &info) == 0 && S_ISDIR(info.st_mode)) {
        deleteTreeQuiet(path);
        if (::lstat(QFile::encodeName(path).constData(), &info) == 0 && S_ISDIR(info.st_mode)) {
            repairs.repairFolder();
            const int code = deleteTree(path);
            if (code != 0) {
                failure.what = systemErrorText(code);
                return false;
            }
        }
    }
    return true;
}

}  // namespace

bool appendToLog(const QString& dataFolder, const QString& fileName, qint64 limitBytes,
                 const std::function<QByteArray(const LogTail&)>& compose, LogFailure& failure) {
    const QString path = joinPath(dataFolder, fileName);
    const int folderCode = ensureDataFolder(dataFolder);
    if (folderCode != 0) {
        failure.what = systemErrorText(folderCode);
        return false;
    }
    AccessRepairs repairs(dataFolder, path);
    if (!clearThePlace(path, repairs, failure)) {
        return false;
    }
    LogTail existing;
    struct stat info {};
    const bool exists = ::lstat(QFile::encodeName(path).constData(), &info) == 0;
    const bool linked = exists && S_ISLNK(info.st_mode);
    if (exists) {
        for (;;) {
            grantFullAccess(path);
            const int fd =
                ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
            if (fd >= 0) {
                const bool regular = inspect(fd, limitBytes, existing);
                ::close(fd);
                if (!regular) {
                    // A FIFO or a device would block or swallow the log.
                    failure.what = QStringLiteral("不是普通文件");
                    return false;
                }
                break;
            }
            const int code = errno;
            if (!isAccessError(code)) {
                existing.append = true;
                break;
            }
            if (!repairs.next()) {
                failure.what = runtimeErrorText(code);
                return false;
            }
        }
    }
    const QByteArray bytes = compose(existing);

    // A fresh file is written beside the old one and renamed over it, so the log is never
    // seen empty or without its mark; a log the user linked elsewhere is rewritten in place.
    const bool replace = !existing.append && !linked;
    const QString target = replace ? savingPathFor(path) : path;
    int fd = -1;
    for (;;) {
        grantFullAccess(path);
        if (replace) {
            fd = createSavingFile(target);
        } else {
            const int flags = O_WRONLY | O_CREAT | O_CLOEXEC | O_NONBLOCK |
                              (existing.append ? O_APPEND : O_TRUNC);
            fd = ::open(QFile::encodeName(target).constData(), flags, 0666);
        }
        if (fd >= 0) {
            break;
        }
        const int code = errno;
        if (!isAccessError(code) || !repairs.next()) {
            failure.what = runtimeErrorText(code);
            return false;
        }
    }

    int code = 0;
    bool ok = writeOnce(fd, bytes, code);
    ::close(fd);
    if (ok && replace &&
        ::rename(QFile::encodeName(target).constData(), QFile::encodeName(path).constData()) != 0) {
        code = errno;
        ok = false;
    }
    if (!ok) {
        if (replace) {
            ::unlink(QFile::encodeName(target).constData());
        }
        failure.what = runtimeErrorText(code);
        failure.duringWrite = true;
        return false;
    }
    return true;
}

bool readLogEnd(const QString& path, qint64 limit, QByteArray& bytes, qint64& from,
                QString& error) {
    bytes.clear();
    from = 0;
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        if (errno == ENOENT) {
            return true;
        }
        error = runtimeErrorText(errno);
        return false;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        error = QStringLiteral("不是普通文件");
        return false;
    }
    const qint64 size = info.st_size;
    from = size > limit ? size - limit : 0;
    from -= from % 2;  // stay on a UTF-16 unit
    bytes.resize(static_cast<qsizetype>(size - from));
    const ssize_t got = ::pread(fd, bytes.data(), static_cast<size_t>(bytes.size()), from);
    ::close(fd);
    if (got < 0) {
        error = runtimeErrorText(errno);
        bytes.clear();
        return false;
    }
    bytes.truncate(got - got % 2);
    return true;
}
