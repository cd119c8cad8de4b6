#include "core/timed/play_log.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QFile>
#include <cerrno>
#include <cstdio>

#include "core/storage/folders.h"
#include "core/support/access_rights.h"
#include "core/support/date_text.h"
#include "core/support/system_text.h"

namespace {

QByteArray utf16le(const QString& text) {
    QByteArray bytes;
    bytes.reserve(text.size() * 2);
    for (const QChar c : text) {
        bytes.append(static_cast<char>(c.unicode() & 0xff));
        bytes.append(static_cast<char>(c.unicode() >> 8));
    }
    return bytes;
}

bool writeOnce(int fd, const QByteArray& bytes, int& error) {
    const ssize_t written = ::write(fd, bytes.constData(), static_cast<size_t>(bytes.size()));
    if (written != bytes.size()) {
        error = written < 0 ? errno : ENOSPC;
        return false;
    }
    return true;
}

// What an existing log tells the next write.
struct LogFile {
    bool append = false;    // it has the mark and room below the size limit
    bool lineOpen = false;  // its last line has no line end
    bool oddSize = false;   // it ends inside a character
};

// False when the descriptor is not a regular file.
bool inspect(int fd, LogFile& log) {
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        return false;
    }
    unsigned char mark[2] = {0, 0};
    const bool hasMark = ::pread(fd, mark, 2, 0) == 2 && mark[0] == 0xFF && mark[1] == 0xFE;
    log.append = hasMark && info.st_size < kPlayLogLimitBytes;
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

QString failure(const QString& what, const QString& path) {
    return QStringLiteral("写日志失败 ◆ %1 ◆ %2 ◆ 技术支持:帮助栏里有联系方式").arg(what, path);
}

}  // namespace

bool appendPlayLog(const QString& dataFolder, const LocalDateTime& time, const QString& text,
                   QString& error) {
    const QString path = joinPath(dataFolder, kPlayLogFileName);
    const int folderCode = ensureDataFolder(dataFolder);
    if (folderCode != 0) {
        error = failure(systemErrorText(folderCode), path);
        return false;
    }
    AccessRepairs repairs(dataFolder, path);
    PathState state = pathState(path);
    if (state == PathState::AccessDenied) {
        repairs.repairFolder();
        state = pathState(path);
        if (state == PathState::AccessDenied) {
            error = failure(QStringLiteral("拒绝访问"), path);
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
                error = failure(systemErrorText(code), path);
                return false;
            }
        }
    }

    LogFile existing;
    const bool exists = ::lstat(QFile::encodeName(path).constData(), &info) == 0;
    const bool linked = exists && S_ISLNK(info.st_mode);
    if (exists) {
        for (;;) {
            grantFullAccess(path);
            const int fd =
                ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
            if (fd >= 0) {
                const bool regular = inspect(fd, existing);
                ::close(fd);
                if (!regular) {
                    // A FIFO or a device would block or swallow the log.
                    error = failure(QStringLiteral("不是普通文件"), path);
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
                error = failure(runtimeErrorText(code), path);
                return false;
            }
        }
    }

    QByteArray bytes;
    if (!existing.append) {
        bytes = QByteArray("\xFF\xFE", 2);
    } else if (existing.lineOpen) {
        // A line cut short by a crash or a full disk gets its end, so the next one stands
        // on its own; an odd byte first completes the cut character.
        bytes = existing.oddSize ? QByteArray(1, '\0') : QByteArray();
        bytes += utf16le(QStringLiteral("\r\n"));
    }
    bytes += utf16le(formatTimestamp(time) + QStringLiteral("   ") + text + QStringLiteral("\r\n"));

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
            error = failure(runtimeErrorText(code), path);
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
        error = QStringLiteral("写日志失败 ◆ %1 ◆ %2").arg(runtimeErrorText(code), path);
        return false;
    }
    return true;
}

bool readPlayLogLines(const QString& path, QStringList& lines, QString& error) {
    constexpr qint64 kReadLimit = 2 * kPlayLogLimitBytes;
    lines.clear();
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
    qint64 from = size > kReadLimit ? size - kReadLimit : 0;
    from -= from % 2;  // stay on a UTF-16 unit
    QByteArray bytes(static_cast<qsizetype>(size - from), Qt::Uninitialized);
    const ssize_t got = ::pread(fd, bytes.data(), static_cast<size_t>(bytes.size()), from);
    ::close(fd);
    if (got < 0) {
        error = runtimeErrorText(errno);
        return false;
    }
    bytes.truncate(got - got % 2);
    const bool marked = from == 0 && bytes.startsWith("\xFF\xFE");
    const QString text =
        QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.constData() + (marked ? 2 : 0)),
                           (bytes.size() - (marked ? 2 : 0)) / 2);
    lines = text.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    if (from > 0 && !lines.isEmpty()) {
        lines.removeFirst();  // begun in the middle of a line
    }
    return true;
}

QString PlayLog::path() const {
    return joinPath(dataFolder_, kPlayLogFileName);
}

void PlayLog::echo(const LocalDateTime& time, const QString& text) const {
    if (echo_) {
        const QByteArray line = (formatTimestamp(time) + QStringLiteral("   ") + text).toUtf8();
        std::fprintf(stdout, "%s\n", line.constData());
        std::fflush(stdout);
    }
}

void PlayLog::reportTimedEvent(const LocalDateTime& time, const QString& text) {
    rows_.append(time, text);
    QString error;
    const bool written = appendPlayLog(dataFolder_, time, text, error);
    // Printed once the line is in the file, so a reader of the output finds it there.
    echo(time, text);
    if (!written) {
        rows_.append(time, error);
        echo(time, error);
    }
    emit reported(time, text);
}
