#include "ui/settings/windows_import_dialog.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>
#include <functional>

#include "core/moving/moving_in.h"
#include "core/support/text.h"
#include "ui/widgets/refusal.h"

namespace {

QPushButton* sideButton(const QString& text, const char* name, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoDefault(false);
    return button;
}

}  // namespace

WindowsImportDialog::WindowsImportDialog(MovingIn& movingIn, QWidget* parent)
    : QDialog(parent), movingIn_(movingIn) {
    setWindowTitle(QStringLiteral("从 Windows 版导入"));
    source_ = new QLineEdit(this);
    source_->setObjectName(QStringLiteral("sourceEdit"));
    QPushButton* folder = sideButton(QStringLiteral("选文件夹…"), "sourceFolderButton", this);
    QPushButton* archive = sideButton(QStringLiteral("选 ZIP 文件…"), "sourceArchiveButton", this);
    connect(folder, &QPushButton::clicked, this, &WindowsImportDialog::chooseSourceFolder);
    connect(archive, &QPushButton::clicked, this, &WindowsImportDialog::chooseSourceArchive);

    mappings_ = new QStandardItemModel(0, 2, this);
    mappings_->setHorizontalHeaderLabels(
        {QStringLiteral("Windows 路径"), QStringLiteral("本机文件夹")});
    mappingList_ = new QTableView(this);
    mappingList_->setObjectName(QStringLiteral("mappingList"));
    mappingList_->setModel(mappings_);
    mappingList_->verticalHeader()->hide();
    mappingList_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    mappingList_->setSelectionBehavior(QAbstractItemView::SelectRows);
    addMapping();
    QPushButton* add = sideButton(QStringLiteral("添加"), "addMappingButton", this);
    QPushButton* remove = sideButton(QStringLiteral("删除"), "removeMappingButton", this);
    QPushButton* where = sideButton(QStringLiteral("选本机文件夹…"), "mappingFolderButton", this);
    connect(add, &QPushButton::clicked, this, &WindowsImportDialog::addMapping);
    connect(remove, &QPushButton::clicked, this, &WindowsImportDialog::removeMappings);
    connect(where, &QPushButton::clicked, this, &WindowsImportDialog::chooseMappingFolder);

    report_ = new QPlainTextEdit(this);
    report_->setObjectName(QStringLiteral("report"));
    report_->setReadOnly(true);

    auto* buttons = new QDialogButtonBox(this);
    import_ = buttons->addButton(QStringLiteral("导入"), QDialogButtonBox::ActionRole);
    import_->setObjectName(QStringLiteral("importButton"));
    buttons->addButton(QStringLiteral("关闭"), QDialogButtonBox::RejectRole);
    connect(import_, &QPushButton::clicked, this, &WindowsImportDialog::runImport);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QGridLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Windows 版的数据文件夹或它的 ZIP 文件:"), this), 0,
                      0, 1, 2);
    layout->addWidget(source_, 1, 0);
    auto* sourceButtons = new QHBoxLayout();
    sourceButtons->addWidget(folder);
    sourceButtons->addWidget(archive);
    layout->addLayout(sourceButtons, 1, 1);
    layout->addWidget(
        new QLabel(QStringLiteral("路径对应 (例如 D:\\广播 → /srv/广播, 其后的文件名不分大小写):"),
                   this),
        2, 0, 1, 2);
    layout->addWidget(mappingList_, 3, 0);
    auto* rowButtons = new QVBoxLayout();
    rowButtons->addWidget(add);
    rowButtons->addWidget(remove);
    rowButtons->addWidget(where);
    rowButtons->addStretch();
    layout->addLayout(rowButtons, 3, 1);
    layout->addWidget(new QLabel(QStringLiteral("导入结果:"), this), 4, 0, 1, 2);
    layout->addWidget(report_, 5, 0, 1, 2);
    layout->addWidget(buttons, 6, 0, 1, 2);
    layout->setRowStretch(3, 1);
    layout->setRowStretch(5, 1);
    resize(640, 520);
}

void WindowsImportDialog::chooseSourceFolder() {
    const QString folder =
        QFileDialog::getExistingDirectory(this, QStringLiteral("选 Windows 版的数据文件夹"),
                                          QDir::homePath(), QFileDialog::ShowDirsOnly);
    if (!folder.isEmpty()) {
        source_->setText(folder);
    }
}

void WindowsImportDialog::chooseSourceArchive() {
    const QString file = QFileDialog::getOpenFileName(
        this, QStringLiteral("选 Windows 版数据的 ZIP 文件"), QDir::homePath(),
        QStringLiteral("ZIP 文件 (*.zip);;所有文件 (*)"));
    if (!file.isEmpty()) {
        source_->setText(file);
    }
}

void WindowsImportDialog::addMapping() {
    mappings_->appendRow({new QStandardItem(), new QStandardItem()});
    mappingList_->selectRow(mappings_->rowCount() - 1);
}

void WindowsImportDialog::removeMappings() {
    QList<int> rows;
    for (const QModelIndex& index : mappingList_->selectionModel()->selectedRows()) {
        rows.append(index.row());
    }
    std::sort(rows.begin(), rows.end(), std::greater<>());
    for (int row : rows) {
        mappings_->removeRow(row);
    }
}

void WindowsImportDialog::chooseMappingFolder() {
    const QModelIndexList selected = mappingList_->selectionModel()->selectedRows();
    if (selected.isEmpty()) {
        refuseInput(this, MessageIcon::Information, QStringLiteral("请先选中一行路径对应"));
        return;
    }
    const QString folder = QFileDialog::getExistingDirectory(
        this, QStringLiteral("选本机文件夹"), QDir::homePath(), QFileDialog::ShowDirsOnly);
    if (!folder.isEmpty()) {
        mappings_->setData(mappings_->index(selected.first().row(), FolderColumn), folder);
    }
}

bool WindowsImportDialog::readMappings(QList<PathMapping>& mappings) {
    for (int row = 0; row < mappings_->rowCount(); ++row) {
        const QString prefix = mappings_->index(row, PrefixColumn).data().toString();
        const QString folder = mappings_->index(row, FolderColumn).data().toString();
        if (trimBlanks(prefix).isEmpty() && trimBlanks(folder).isEmpty()) {
            continue;
        }
        PathMapping mapping;
        if (!makePathMapping(prefix, folder, mapping)) {
            mappingList_->selectRow(row);
            refuseInput(
                this, MessageIcon::Warning,
                QStringLiteral("路径对应第 %1 行：Windows 路径和本机文件夹都要填").arg(row + 1),
                mappingList_);
            return false;
        }
        mappings.append(mapping);
    }
    return true;
}

void WindowsImportDialog::runImport() {
    const QString source = trimBlanks(source_->text());
    if (source.isEmpty()) {
        refuseInput(this, MessageIcon::Warning,
                    QStringLiteral("请选择 Windows 版的数据文件夹或它的 ZIP 文件"), source_);
        return;
    }
    QList<PathMapping> mappings;
    if (!readMappings(mappings)) {
        return;
    }
    WindowsImport import;
    QString message;
    if (!readWindowsImport(source, mappings, import, message)) {
        showMessage(MessageIcon::Error, message, this);
        return;
    }
    if (!askYesNo(
            MessageIcon::Question,
            QStringLiteral("从 Windows 版导入：\n%1\n\n%2\n\n现有的节目单、立即播列表、节假日~"
                           "调休和设置先备份到数据文件夹，再换成导入的内容，正在播的会停止。"
                           "\n\n继续吗？")
                .arg(source, windowsImportCounts(import)),
            this)) {
        return;
    }
    QString backupPath;
    if (!movingIn_.apply(import.tables, backupPath, message)) {
        showMessage(MessageIcon::Error, message, this);
        return;
    }
    QStringList lines;
    for (const QString& missing : import.paths.missing) {
        lines.append(QStringLiteral("未找到: ") + missing);
    }
    lines.append(windowsImportSummary(import));
    lines.append(QStringLiteral("导入前的数据已备份到: ") + backupPath);
    report_->setPlainText(lines.join(u'\n'));
}
