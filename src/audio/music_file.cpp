#include "audio/music_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QFile>
#include <cerrno>
#include <utility>

#include "core/playback/media_player.h"
#include "core/support/access_rights.h"
#include "core/support/log_categories.h"
#include "core/support/music_files.h"

MusicFile::~MusicFile() {
    close();
}

MusicFile::MusicFile(MusicFile&& other) noexcept
    : path_(std::move(other.path_)), fd_(std::exchange(other.fd_, -1)) {}

MusicFile& MusicFile::operator=(MusicFile&& other) noexcept {
    if (this != &other) {
        close();
        path_ = std::move(other.path_);
        fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
}

qint32 MusicFile::open(const QString& path, QString& text) {
    close();
    path_ = path;
    text.clear();
    grantFullAccess(path);
    // O_NONBLOCK: an open of a FIFO without a writer would otherwise wait for ever.
    fd_ = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0) {
        const int error = errno;
        if (error == EACCES || error == EPERM) {
            return kErrorAccessDenied;
        }
        if (hasUndecodableName(path)) {
            text = QStringLiteral("文件名不是有效的UTF-8编码, 请改名");
            qCWarning(lcAudio) << "file name is not valid UTF-8:" << path;
        }
        return kErrorFileNotFound;
    }
    struct stat info {};
    if (::fstat(fd_, &info) != 0 || !S_ISREG(info.st_mode)) {
        if (!S_ISDIR(info.st_mode)) {
            qCWarning(lcAudio) << "not a regular file:" << path << "mode" << Qt::oct
                               << info.st_mode;
        }
        close();
        return kErrorFileNotFound;
    }
    return 0;
}

void MusicFile::close() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

QByteArray MusicFile::location() const {
    // The descriptor's own link: reopening it yields the same (regular) file, wherever its
    // name has gone meanwhile, and the file source keeps its random access for seeking.
    return "/proc/self/fd/" + QByteArray::number(fd_);
}
