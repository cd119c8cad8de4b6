#include "core/storage/app_paths.h"

#include <pwd.h>
#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "core/storage/folders.h"

namespace {

// The installed files' folder, relative to the executable's folder.
const QString kInstalledResourceFolder = QStringLiteral(KB_RESOURCES_FROM_BIN);

QString homeFolder() {
    const QString home = qEnvironmentVariable("HOME");
    if (!home.isEmpty()) {
        return home;
    }
    const passwd* entry = ::getpwuid(::getuid());
    return entry != nullptr ? QFile::decodeName(entry->pw_dir) : QStringLiteral("/tmp");
}

QString resourceFolderFor(const QString& exeFolder) {
    const QString installed = QDir::cleanPath(joinPath(exeFolder, kInstalledResourceFolder));
    return isFolder(installed) ? installed : exeFolder;
}

}  // namespace

QString programExecutablePath() {
    QString exe = QFile::symLinkTarget(QStringLiteral("/proc/self/exe"));
    // After a package upgrade replaced the file under the running program, the kernel
    // names the old one "... (deleted)"; the new file is at the same path.
    const QString deleted = QStringLiteral(" (deleted)");
    if (exe.endsWith(deleted) && !QFileInfo::exists(exe)) {
        exe.chop(deleted.size());
    }
    return exe;
}

AppPaths AppPaths::forFolders(const QString& exeFolder, const QString& roamingFolder) {
    AppPaths paths;
    paths.exeFolder = exeFolder;
    paths.resourceFolder = resourceFolderFor(exeFolder);
    paths.musicFolder = joinPath(paths.resourceFolder, QStringLiteral("music"));
    paths.roamingFolder = roamingFolder;
    paths.dataFolder = joinPath(roamingFolder, kDataFolderName);
    return paths;
}

AppPaths AppPaths::resolve() {
    QString roaming = qEnvironmentVariable("XDG_DATA_HOME");
    if (roaming.isEmpty()) {
        roaming = joinPath(homeFolder(), QStringLiteral(".local/share"));
    }
    const QString exe = programExecutablePath();
    return forFolders(exe.isEmpty() ? QStringLiteral(".") : QFileInfo(exe).absolutePath(), roaming);
}

QString AppPaths::dataFile(const QString& name) const {
    return joinPath(dataFolder, name);
}

QString AppPaths::welcomePage() const {
    return joinPath(resourceFolder, kWelcomePageName);
}

QString AppPaths::helpIndex() const {
    return joinPath(resourceFolder, kHelpIndexName);
}
