#include "storage/app_paths.h"

#include <pwd.h>
#include <unistd.h>
#include <QFile>
#include <QFileInfo>

#include "storage/folders.h"

namespace {

QString executableFolder() {
    const QString exe = QFile::symLinkTarget(QStringLiteral("/proc/self/exe"));
    return exe.isEmpty() ? QStringLiteral(".") : QFileInfo(exe).absolutePath();
}

QString homeFolder() {
    const QString home = qEnvironmentVariable("HOME");
    if (!home.isEmpty()) {
        return home;
    }
    const passwd* entry = ::getpwuid(::getuid());
    return entry != nullptr ? QFile::decodeName(entry->pw_dir) : QStringLiteral("/tmp");
}

}  // namespace

AppPaths AppPaths::forFolders(const QString& exeFolder, const QString& roamingFolder) {
    AppPaths paths;
    paths.exeFolder = exeFolder;
    paths.musicFolder = joinPath(exeFolder, QStringLiteral("music"));
    paths.roamingFolder = roamingFolder;
    paths.dataFolder = joinPath(roamingFolder, kDataFolderName);
    return paths;
}

AppPaths AppPaths::resolve() {
    QString roaming = qEnvironmentVariable("XDG_DATA_HOME");
    if (roaming.isEmpty()) {
        roaming = joinPath(homeFolder(), QStringLiteral(".local/share"));
    }
    return forFolders(executableFolder(), roaming);
}

QString AppPaths::dataFile(const QString& name) const {
    return joinPath(dataFolder, name);
}
