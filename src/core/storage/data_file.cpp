#include "core/storage/data_file.h"
#include "core/support/messages.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QFile>
#include <QtEndian>
#include <cerrno>

#include "core/storage/data_folder_watch.h"
#include "core/storage/folders.h"
#include "core/storage/whole_file.h"
#include "core/support/access_rights.h"
#include "core/support/log_categories.h"
#include "core/support/system_text.h"

const QString kRescueText = QStringLiteral(
    "\n\n\n拯救数据 !!\n1. 如果现在退出软件，相关数据就丢失了\n2. "
    "请先备份数据，重新打开软件后再还原\n   (备份：功能中心 > 设置栏 > 备份还原)");

namespace {

bool isFolderNoFollow(const QString& path) {
    struct stat info {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 && S_ISDIR(info.st_mode);
}

// The read-only attribute of the original becomes the owner's write bit here.
void setNormalAttributes(const QString& path) {
    grantFullAccess(path);
}

// Reads the whole file from its start, at most `limit` bytes; nothing when it holds more.
std::optional<QByteArray> readWhole(int fd, qint64 limit) {
    QByteArray content(limit + 1, Qt::Uninitialized);
    qint64 done = 0;
    while (done <= limit) {
        const ssize_t got =
            ::pread(fd, content.data() + done, static_cast<size_t>(limit + 1 - done),
                    static_cast<off_t>(done));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            return std::nullopt;
        }
        if (got == 0) {
            content.truncate(done);
            return content;
        }
        done += got;
    }
    return std::nullopt;
}

}  // namespace

QString readFailureMessage(const QString& path, int errorNumber) {
    return QStringLiteral("读文件失败：\n%1\n\n%2").arg(path, runtimeErrorText(errorNumber)) +
           kSupportLine;
}

QString contentFailureMessage(const QString& path) {
    return QStringLiteral("读文件失败：\n%1\n\n文件内容有错误").arg(path);
}

QString writeFailureMessage(const QString& path, int errorNumber) {
    return QStringLiteral("写文件失败：\n%1\n\n%2").arg(path, runtimeErrorText(errorNumber)) +
           kSupportLine;
}

QByteArray countBlock(quint32 count) {
    const quint32 le = qToLittleEndian(count);
    return QByteArray(reinterpret_cast<const char*>(&le), 4);
}

int openDataFileForWrite(const QString& path, const QString& tempPath, const QString& label,
                         QString& message) {
    AccessRepairs repairs(parentFolder(path), path);
    if (pathState(path) == PathState::AccessDenied) {
        repairs.repairFolder();
        if (pathState(path) == PathState::AccessDenied) {
            message = QStringLiteral("写%1失败：\n%2\n\n拒绝访问").arg(label, path) + kSupportLine;
            return -1;
        }
    }
    for (const QString& target : {path, tempPath}) {
        if (!isFolderNoFollow(target)) {
            continue;
        }
        deleteTreeQuiet(target);
        if (isFolderNoFollow(target)) {
            repairs.repairFolder();
            const int code = deleteTree(target);
            if (code != 0) {
                message =
                    QStringLiteral("写%1失败：\n%2\n\n%3").arg(label, path, systemErrorText(code)) +
                    kSupportLine;
                return -1;
            }
        }
    }
    for (;;) {
        setNormalAttributes(path);
        const int fd = createSavingFile(tempPath);
        if (fd >= 0) {
            return fd;
        }
        const int error = errno;
        if (isAccessError(error) && repairs.next()) {
            continue;
        }
        message = QStringLiteral("写%1失败：\n%2\n\n%3").arg(label, path, runtimeErrorText(error)) +
                  kSupportLine;
        return -1;
    }
}

int openDataFileForRead(const QString& path, const QString& label, QString& message) {
    message.clear();
    AccessRepairs repairs(parentFolder(path), path);
    PathState state = pathState(path);
    if (state == PathState::AccessDenied) {
        repairs.repairFolder();
        state = pathState(path);
        if (state == PathState::AccessDenied) {
            message = QStringLiteral("读%1失败：\n%2\n\n拒绝访问").arg(label, path) + kSupportLine;
            return -1;
        }
    }
    if (state != PathState::Other) {
        return -1;
    }
    for (;;) {
        const int fd =
            ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd >= 0) {
            return fd;
        }
        const int error = errno;
        if (isAccessError(error) && repairs.next()) {
            continue;
        }
        message = QStringLiteral("读%1失败：\n%2\n\n%3").arg(label, path, runtimeErrorText(error)) +
                  kSupportLine;
        return -1;
    }
}

DataFileWriter::DataFileWriter(const QString& dataFolder, const QString& fileName,
                               MidWriteWording wording, bool rescueHint)
    : path_(joinPath(dataFolder, fileName)),
      tempPath_(savingPathFor(path_)),
      wording_(wording),
      rescueHint_(rescueHint) {}

DataFileWriter::~DataFileWriter() {
    discard();
}

void DataFileWriter::discard() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
        ::unlink(QFile::encodeName(tempPath_).constData());
    } else if (sealed_) {
        sealed_ = false;
        ::unlink(QFile::encodeName(tempPath_).constData());
    }
}

bool DataFileWriter::open(QString& message) {
    const int code = ensureDataFolder(parentFolder(path_));
    if (code != 0) {
        message = QStringLiteral("写文件失败：\n%1\n\n%2").arg(path_, systemErrorText(code)) +
                  kSupportLine;
        return false;
    }
    fd_ = openDataFileForWrite(path_, tempPath_, kDataFileLabel, message);
    return fd_ >= 0;
}

void DataFileWriter::write(const QByteArray& block) {
    if (fd_ < 0 || error_ != 0) {
        return;
    }
    if (writeAllBytes(fd_, block.constData(), block.size(), error_)) {
        digest_.addData(block);
    }
}

bool DataFileWriter::seal(QString& message) {
    if (fd_ < 0) {
        return false;
    }
    if (error_ == 0) {
        const QByteArray trailer = digest_.result();
        writeAllBytes(fd_, trailer.constData(), trailer.size(), error_);
    }
    if (error_ == 0 && ::fsync(fd_) != 0) {
        error_ = errno;
    }
    if (error_ == 0) {
        const int fd = fd_;
        fd_ = -1;
        if (::close(fd) != 0) {
            error_ = errno;
            ::unlink(QFile::encodeName(tempPath_).constData());
        } else {
            sealed_ = true;
            return true;
        }
    }
    discard();
    message = midWriteMessage(error_);
    return false;
}

bool DataFileWriter::place(QString& message) {
    if (!sealed_) {
        return false;
    }
    if (::rename(QFile::encodeName(tempPath_).constData(), QFile::encodeName(path_).constData()) !=
        0) {
        error_ = errno;
        discard();
        message = midWriteMessage(error_);
        return false;
    }
    sealed_ = false;
    syncFolder(parentFolder(path_));
    noteOwnWrite(path_);
    return true;
}

QString DataFileWriter::midWriteMessage(int errorNumber) const {
    QString text =
        QStringLiteral("写文件中途出错：\n%1\n\n%2").arg(path_, runtimeErrorText(errorNumber));
    if (wording_ == MidWriteWording::Support) {
        text += kSupportLine;
    } else if (rescueHint_) {
        text += kRescueText;
    }
    return text;
}

void removeInterruptedSaves(const QString& dataFolder) {
    DIR* dir = ::opendir(QFile::encodeName(dataFolder).constData());
    if (dir == nullptr) {
        return;
    }
    QStringList leftOver;
    while (const dirent* entry = ::readdir(dir)) {
        const QString name = QFile::decodeName(entry->d_name);
        if (name.size() > 8 && name.startsWith(u'.') && name.endsWith(QStringLiteral(".saving"))) {
            leftOver.append(joinPath(dataFolder, name));
        }
    }
    ::closedir(dir);
    for (const QString& path : leftOver) {
        qCInfo(lcStorage) << "removing the temporary of an interrupted save:" << path;
        deleteTreeQuiet(path);
    }
}

DataFileReader::DataFileReader(const QString& dataFolder, const QString& fileName, qint64 maxBytes,
                               LongerFiles longer)
    : path_(joinPath(dataFolder, fileName)), maxBytes_(maxBytes), longer_(longer) {}

DataFileReader::~DataFileReader() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

DataFileReader::Opened DataFileReader::open(QString& message) {
    fd_ = openDataFileForRead(path_, kDataFileLabel, message);
    if (fd_ >= 0) {
        struct stat info {};
        const bool regular = ::fstat(fd_, &info) == 0 && S_ISREG(info.st_mode);
        copyable_ = regular && info.st_size <= maxBytes_;
        if (!regular || (!copyable_ && longer_ == LongerFiles::Rejected)) {
            // Never read: a FIFO or a device would block or never end, and no valid file is
            // this large.
            qCWarning(lcStorage) << "not a regular data file of a valid size:" << path_ << "mode"
                                 << Qt::oct << info.st_mode << Qt::dec << "size" << info.st_size;
            state_ = State::ContentError;
        }
        return Opened::Open;
    }
    return message.isEmpty() ? Opened::Absent : Opened::Failed;
}

quint32 DataFileReader::readCount(quint32 limit) {
    QByteArray block;
    if (!read(block, 4)) {
        return 0;
    }
    const quint32 count = qFromLittleEndian<quint32>(block.constData());
    if (count > limit) {
        reject();
        return 0;
    }
    return count;
}

bool DataFileReader::read(QByteArray& block, qsizetype size) {
    if (fd_ < 0 || state_ != State::Reading) {
        return false;
    }
    block.resize(size);
    qsizetype done = 0;
    while (done < size) {
        const ssize_t got = ::read(fd_, block.data() + done, static_cast<size_t>(size - done));
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            error_ = errno;
            state_ = State::ReadError;
            return false;
        }
        if (got == 0) {
            state_ = State::EndOfFile;
            return false;
        }
        done += got;
    }
    digest_.addData(block);
    return true;
}

void DataFileReader::reject() {
    if (state_ == State::Reading) {
        state_ = State::ContentError;
    }
}

bool DataFileReader::finish(QString& message) {
    if (fd_ < 0) {
        return false;
    }
    if (state_ == State::Reading) {
        const QByteArray expected = digest_.result();
        QByteArray trailer;
        if (read(trailer, expected.size()) && trailer != expected) {
            state_ = State::ContentError;
        }
    }
    if (state_ == State::Reading) {
        ::close(fd_);
        fd_ = -1;
        return true;
    }
    keepDamagedCopy();
    ::close(fd_);
    fd_ = -1;
    switch (state_) {
        case State::Reading:
            break;
        case State::ReadError:
            message = readFailureMessage(path_, error_);
            break;
        case State::EndOfFile:
        case State::ContentError:
            message = contentFailureMessage(path_);
            break;
    }
    return false;
}

void DataFileReader::keepDamagedCopy() const {
    // Copied from the descriptor that was read, so it is the same file, and only when it is
    // a regular file of a size the format can have.
    if (!copyable_) {
        return;
    }
    if (const std::optional<QByteArray> content = readWhole(fd_, maxBytes_)) {
        replaceWholeFile(path_ + QStringLiteral(".damaged"), *content);
    }
}
