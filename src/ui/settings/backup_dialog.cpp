#include "ui/settings/backup_dialog.h"

#include <QDate>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QStandardPaths>

#include "core/support/messages.h"
#include "core/timed/timetable_switch.h"

namespace {

const QString kArchiveFilter = QStringLiteral("节目备份 (*.zip)");

// A restore most often takes the backup just made, or one beside it.
QString& lastBackupFolder() {
    static QString folder;
    return folder;
}

QString chosenFile(QFileDialog& dialog) {
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return QString();
    }
    return dialog.selectedFiles().first();
}

}  // namespace

QString backupFolder() {
    if (!lastBackupFolder().isEmpty() && QDir(lastBackupFolder()).exists()) {
        return lastBackupFolder();
    }
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return !documents.isEmpty() && QDir(documents).exists() ? documents : QDir::homePath();
}

BackupDialog::BackupDialog(TimetableSwitch& timetable, QWidget* parent)
    : QDialog(parent), timetable_(timetable) {
    setWindowTitle(QStringLiteral("节目备份与还原"));
    auto* layout = new QGridLayout(this);
    const QList<QPair<QString, QString>> rows = {
        {QStringLiteral("备份内容："), QStringLiteral("定时播节目单、 节假日~调休")},
        {QStringLiteral("不备份音乐："),
         QStringLiteral("要还原到别的电脑，还需复制音乐文件到另一个电脑的相同位置。")},
        {QStringLiteral("作息表切换："), QStringLiteral("通过备份还原，实现作息表切换")}};
    for (int i = 0; i < rows.size(); ++i) {
        layout->addWidget(new QLabel(rows[i].first, this), i, 0, Qt::AlignTop);
        auto* text = new QLabel(rows[i].second, this);
        text->setWordWrap(true);
        layout->addWidget(text, i, 1);
    }
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* save = buttons->addButton(QStringLiteral("备份..."), QDialogButtonBox::ActionRole);
    QPushButton* load = buttons->addButton(QStringLiteral("还原..."), QDialogButtonBox::ActionRole);
    buttons->addButton(QStringLiteral("关闭"), QDialogButtonBox::RejectRole);
    connect(save, &QPushButton::clicked, this, &BackupDialog::backup);
    connect(load, &QPushButton::clicked, this, &BackupDialog::restore);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons, static_cast<int>(rows.size()), 0, 1, 2);
}

void BackupDialog::backup() {
    QFileDialog dialog(this, QStringLiteral("备份..."), backupFolder(), kArchiveFilter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("zip"));
    dialog.selectFile(suggestedBackupName(QDate::currentDate()));
    const QString path = chosenFile(dialog);
    if (path.isEmpty()) {
        return;
    }
    QString message;
    if (!timetable_.backup(path, message)) {
        showMessage(MessageIcon::Error, message, this);
        return;
    }
    lastBackupFolder() = QFileInfo(path).absolutePath();
    showMessage(MessageIcon::Information, QStringLiteral("备份成功：\n%1").arg(path), this);
}

void BackupDialog::restore() {
    QFileDialog dialog(this, QStringLiteral("还原..."), backupFolder(),
                       kArchiveFilter + QStringLiteral(";;所有文件 (*)"));
    dialog.setFileMode(QFileDialog::ExistingFile);
    const QString path = chosenFile(dialog);
    if (path.isEmpty()) {
        return;
    }
    if (!askYesNo(MessageIcon::Question,
                  QStringLiteral("还原备份：\n%1\n\n定时播节目单、节假日~调休将换成备份里的内容，"
                                 "正在播的定时播节目会停止。\n\n继续吗？")
                      .arg(path),
                  this)) {
        return;
    }
    QString message;
    if (!timetable_.restore(path, message)) {
        showMessage(MessageIcon::Error, message, this);
        return;
    }
    showMessage(MessageIcon::Information,
                QStringLiteral("还原成功：\n定时播节目单、节假日~调休已换成备份里的内容"), this);
}
