#include "core/storage/folders.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QDir>
#include <cerrno>

#include "core/support/access_rights.h"

namespace {

int removeEntry(const QString& path, bool quiet);

int removeChildren(const QString& folder, bool quiet) {
    DIR* dir = ::opendir(QFile::encodeName(folder).constData());
    if (dir == nullptr) {
        return quiet ? 0 : errno;
    }
    QStringList names;
    while (const dirent* entry = ::readdir(dir)) {
        const QString name = QFile::decodeName(entry->d_name);
        if (name != QLatin1String(".") && name != QLatin1String("..")) {
            names.append(name);
        }
    }
    ::closedir(dir);
    for (const QString& name : names) {
        const int code = removeEntry(joinPath(folder, name), quiet);
        if (code != 0 && !quiet) {
            return code;
        }
    }
    return 0;
}

int removeEntry(const QString& path, bool quiet) {
    struct stat info {};
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0) {
        return quiet ? 0 : errno;
    }
    if (!quiet) {
        grantFullAccess(path);
    }
    if (S_ISDIR(info.st_mode)) {
        const int code = removeChildren(path, quiet);
        if (code != 0) {
            return code;
        }
        if (::rmdir(QFile::encodeName(path).constData()) != 0) {
            return quiet ? 0 : errno;
        }
        return 0;
    }
    if (::unlink(QFile::encodeName(path).constData()) != 0) {
        return quiet ? 0 : errno;
    }
    return 0;
}

}  // namespace

QString savingPathFor(const QString& path) {
    const qsizetype slash = path.lastIndexOf(u'/');
    return path.left(slash + 1) + u'.' + path.mid(slash + 1) + QStringLiteral(".saving");
}

int createSavingFile(const QString& savingPath) {
    const QByteArray name = QFile::encodeName(savingPath);
    ::unlink(name.constData());
    return ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
}

QString parentFolder(const QString& path) {
    const qsizetype slash = path.lastIndexOf(u'/');
    if (slash <= 0) {
        return slash == 0 ? QStringLiteral("/") : QStringLiteral(".");
    }
    return path.left(slash);
}

QString joinPath(const QString& folder, const QString& name) {
    if (folder.endsWith(u'/')) {
        return folder + name;
    }
    return folder + u'/' + name;
}

PathState pathState(const QString& path) {
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0) {
        return errno == EACCES ? PathState::AccessDenied : PathState::Absent;
    }
    return S_ISDIR(info.st_mode) ? PathState::Folder : PathState::Other;
}

bool isFolder(const QString& path) {
    return pathState(path) == PathState::Folder;
}

int makeFolder(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    struct stat info {};
    if (::stat(name.constData(), &info) != 0) {
        if (errno == EACCES) {
            return EACCES;
        }
        return ::mkdir(name.constData(), 0777) == 0 ? 0 : errno;
    }
    if (S_ISDIR(info.st_mode)) {
        return 0;
    }
    if (::unlink(name.constData()) != 0) {
        // Deleting depends on the folder that holds the file.
        grantFullAccess(path);
        grantFullAccess(parentFolder(path));
        if (::unlink(name.constData()) != 0) {
            return errno;
        }
    }
    return ::mkdir(name.constData(), 0777) == 0 ? 0 : errno;
}

int ensureDataFolder(const QString& dataFolder) {
    // Folders above the data folder are only created, never replaced: a file the user
    // keeps there is not ours to delete.
    const QString above = parentFolder(dataFolder);
    if (!QFileInfo(above).isDir()) {
        QDir().mkpath(above);
    }
    return makeFolder(dataFolder);
}

int deleteTree(const QString& folder) {
    return removeEntry(folder, false);
}

void deleteTreeQuiet(const QString& folder) {
    removeEntry(folder, true);
}
