#include "core/storage/whole_file.h"

#include "core/storage/data_folder_watch.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QFile>
#include <cerrno>

#include "core/storage/folders.h"
#include "core/support/system_text.h"

bool writeAllBytes(int fd, const char* data, qsizetype size, int& error) {
    while (size > 0) {
        const ssize_t written = ::write(fd, data, static_cast<size_t>(size));
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            error = errno;
            return false;
        }
        if (written == 0) {
            error = ENOSPC;
            return false;
        }
        data += written;
        size -= written;
    }
    return true;
}

void syncFolder(const QString& folder) {
    const int fd =
        ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

int replaceWholeFile(const QString& path, const QByteArray& content) {
    const QString temp = savingPathFor(path);
    const int fd = createSavingFile(temp);
    if (fd < 0) {
        return errno;
    }
    int error = 0;
    if (writeAllBytes(fd, content.constData(), content.size(), error) && ::fsync(fd) != 0) {
        error = errno;
    }
    if (::close(fd) != 0 && error == 0) {
        error = errno;
    }
    if (error == 0 &&
        ::rename(QFile::encodeName(temp).constData(), QFile::encodeName(path).constData()) != 0) {
        error = errno;
    }
    if (error != 0) {
        ::unlink(QFile::encodeName(temp).constData());
        return error;
    }
    syncFolder(parentFolder(path));
    noteOwnWrite(path);
    return 0;
}

int readWholeFile(const QString& path, qint64 limit, QByteArray& content) {
    content.clear();
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return errno;
    }
    struct stat info {};
    int error = 0;
    if (::fstat(fd, &info) != 0) {
        error = errno;
    } else if (S_ISDIR(info.st_mode)) {
        error = EISDIR;
    } else if (!S_ISREG(info.st_mode)) {
        error = EINVAL;
    } else if (info.st_size > limit) {
        error = EFBIG;
    }
    while (error == 0) {
        char buffer[65536];
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            error = errno;
        } else if (got == 0) {
            break;
        } else if (content.size() + got > limit) {
            error = EFBIG;  // grew while being read
        } else {
            content.append(buffer, got);
        }
    }
    ::close(fd);
    return error;
}

OptionalFile readOptionalFile(const QString& path, qint64 limit, QByteArray& content,
                              QString& problem) {
    const int error = readWholeFile(path, limit, content);
    if (error == ENOENT) {
        return OptionalFile::Absent;
    }
    if (error != 0) {
        problem = error == EFBIG ? QStringLiteral("文件太大") : runtimeErrorText(error);
        return OptionalFile::Unreadable;
    }
    return OptionalFile::Read;
}
