#include "core/support/access_rights.h"

#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>

void grantFullAccess(const QString& path) {
    const QByteArray native = path.toLocal8Bit();
    struct stat info {};
    if (::lstat(native.constData(), &info) != 0 || S_ISLNK(info.st_mode)) {
        return;
    }
    if (info.st_uid != ::geteuid()) {
        return;
    }
    mode_t wanted = info.st_mode | S_IRUSR | S_IWUSR;
    if (S_ISDIR(info.st_mode)) {
        wanted |= S_IXUSR;
    }
    if ((wanted & 07777) != (info.st_mode & 07777)) {
        ::chmod(native.constData(), wanted & 07777);
    }
}

void AccessRepairs::repairFolder() {
    if (!folderDone_) {
        grantFullAccess(folder_);
        folderDone_ = true;
    }
}

bool AccessRepairs::next() {
    if (folderDone_ && fileDone_) {
        return false;
    }
    repairFolder();
    if (!fileDone_) {
        grantFullAccess(file_);
        fileDone_ = true;
    }
    return true;
}

bool isAccessError(int errorNumber) {
    return errorNumber == EPERM || errorNumber == EACCES;
}
