#include "ui/widgets/last_folder.h"

#include <QDir>
#include <QFileInfo>

namespace {

QString& lastFolder() {
    static QString folder;
    return folder;
}

}  // namespace

QString dialogStartFolder(const QString& musicFolder) {
    if (!lastFolder().isEmpty() && QFileInfo(lastFolder()).isDir()) {
        return lastFolder();
    }
    return QFileInfo(musicFolder).isDir() ? musicFolder : QDir::homePath();
}

void rememberDialogChoice(const QString& path, bool isFolder) {
    if (!path.isEmpty()) {
        lastFolder() = isFolder ? path : QFileInfo(path).absolutePath();
    }
}
