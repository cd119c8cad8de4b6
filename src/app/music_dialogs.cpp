#include "app/music_dialogs.h"

#include <QDir>
#include <QFileDialog>

#include "support/music_files.h"

QString musicFileFilter() {
    QString filter = kMusicFilterName;
    return filter.replace(u';', u' ');
}

QStringList chooseMusicFiles(QWidget* parent) {
    QFileDialog dialog(parent, QString(), QDir::homePath(), musicFileFilter());
    dialog.setObjectName(QStringLiteral("musicFilesDialog"));
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setDefaultSuffix(QStringLiteral("mp3"));
    dialog.setOption(QFileDialog::ReadOnly, false);
    if (dialog.exec() != QDialog::Accepted) {
        return {};
    }
    return dialog.selectedFiles();
}

QString chooseMusicFolder(QWidget* parent) {
    return QFileDialog::getExistingDirectory(parent, QStringLiteral("选音乐文件夹："),
                                             QDir::homePath(), QFileDialog::ShowDirsOnly);
}
