#include "ui/widgets/music_dialogs.h"

#include <QFileDialog>

#include "core/support/music_files.h"
#include "ui/widgets/last_folder.h"

QString musicFileFilter() {
    QString filter = kMusicFilterName;
    return filter.replace(u';', u' ');
}

QStringList chooseMusicFiles(QWidget* parent, const QString& musicFolder, bool several) {
    QFileDialog dialog(parent, QString(), dialogStartFolder(musicFolder), musicFileFilter());
    dialog.setObjectName(QStringLiteral("musicFilesDialog"));
    dialog.setFileMode(several ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(QStringLiteral("mp3"));
    dialog.setOption(QFileDialog::ReadOnly, false);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    rememberDialogChoice(dialog.selectedFiles().first(), false);
    return dialog.selectedFiles();
}

QString chooseMusicFolder(QWidget* parent, const QString& musicFolder) {
    const QString folder = QFileDialog::getExistingDirectory(
        parent, QStringLiteral("选音乐文件夹："), dialogStartFolder(musicFolder),
        QFileDialog::ShowDirsOnly);
    if (!folder.isEmpty()) {
        rememberDialogChoice(folder, true);
    }
    return folder;
}
