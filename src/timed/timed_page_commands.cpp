// The commands of the timed-play page: what the context menus, keys and double clicks do.
#include <unistd.h>
#include <QDesktopServices>
#include <QTreeWidget>
#include <QUrl>
#include <algorithm>

#include "storage/data_file.h"
#include "support/messages.h"
#include "timed/manual_play_dialog.h"
#include "timed/programme_editor.h"
#include "timed/programme_file.h"
#include "timed/timed_page.h"

QList<int> TimedPage::selectedRows(QTreeWidget* list) const {
    QList<int> rows;
    for (QTreeWidgetItem* item : list->selectedItems()) {
        rows.append(list->indexOfTopLevelItem(item));
    }
    std::sort(rows.begin(), rows.end());
    return rows;
}

void TimedPage::selectRows(const QList<int>& rows) {
    programmes_->clearSelection();
    for (int row : rows) {
        if (QTreeWidgetItem* item = programmes_->topLevelItem(row)) {
            item->setSelected(true);
        }
    }
}

bool TimedPage::save() {
    emit saved();
    QString message;
    if (saveProgrammes(s_.paths.dataFolder, s_.table, true, message)) {
        return true;
    }
    // The change stays in memory and in the list.
    showMessage(MessageIcon::Error, message, this);
    return false;
}

void TimedPage::addProgramme() {
    if (s_.table.size() >= kMaxProgrammes) {
        showMessage(MessageIcon::Warning, QStringLiteral("最多 %1 个节目").arg(kMaxProgrammes),
                    this);
        return;
    }
    ProgrammeEditor editor(s_.table, -1, &s_.runs, s_.paths, this);
    if (editor.exec() == QDialog::Accepted) {
        appendProgrammeRow();
        save();
    }
}

void TimedPage::modifyProgramme() {
    const QList<int> rows = selectedRows(programmes_);
    if (rows.isEmpty()) {
        showMessage(MessageIcon::Information, QStringLiteral("修改 - 请先选中节目"), this);
        return;
    }
    ProgrammeEditor editor(s_.table, rows.first(), &s_.runs, s_.paths, this);
    if (editor.exec() == QDialog::Accepted) {
        writeRow(rows.first());
        save();
    }
}

void TimedPage::deleteProgrammes() {
    const QList<int> rows = selectedRows(programmes_);
    if (rows.isEmpty()) {
        showMessage(MessageIcon::Information, QStringLiteral("删除 - 请先选中节目"), this);
        return;
    }
    if (!askYesNo(MessageIcon::Question, QStringLiteral("确定删除？"), this)) {
        return;
    }
    // From the top: each removal moves the rows below up by one.
    for (int k = 0; k < rows.size(); ++k) {
        const int row = rows[k] - k;
        s_.table.remove({row}, &s_.runs);
        delete programmes_->takeTopLevelItem(row);
    }
    save();
}

void TimedPage::setEnabledFlag(bool disabled, const QString& noSelection) {
    const QList<int> rows = selectedRows(programmes_);
    if (rows.isEmpty()) {
        showMessage(MessageIcon::Information, noSelection, this);
        return;
    }
    QList<int> changed;
    for (int row : rows) {
        if ((s_.table.at(row).disabled != 0) != disabled) {
            changed.append(row);
        }
    }
    if (s_.table.setDisabled(changed, disabled)) {
        for (int row : changed) {
            writeRow(row);
        }
        save();
    }
}

void TimedPage::enableProgrammes() {
    setEnabledFlag(false, QStringLiteral("启用 - 请先选中节目"));
}

void TimedPage::disableProgrammes() {
    setEnabledFlag(true, QStringLiteral("停用 - 请先选中节目"));
}

void TimedPage::afterMove(const QList<int>& rows, bool up) {
    for (int row : rows) {
        writeRow(row);
        writeRow(up ? row + 1 : row - 1);
    }
    selectRows(rows);
    programmes_->scrollToItem(programmes_->topLevelItem(up ? rows.first() : rows.last()));
    save();
}

void TimedPage::moveUp() {
    QList<int> rows = selectedRows(programmes_);
    if (rows.isEmpty() || rows.first() == 0) {
        return;
    }
    programmes_->setCurrentItem(nullptr, 0, QItemSelectionModel::NoUpdate);
    if (s_.table.moveUp(rows)) {
        afterMove(rows, true);
    }
}

void TimedPage::moveDown() {
    QList<int> rows = selectedRows(programmes_);
    if (rows.isEmpty() || rows.last() == s_.table.size() - 1) {
        return;
    }
    programmes_->setCurrentItem(nullptr, 0, QItemSelectionModel::NoUpdate);
    if (s_.table.moveDown(rows)) {
        afterMove(rows, false);
    }
}

void TimedPage::sortProgrammes(SortOrder order) {
    bool sorted = false;
    switch (order) {
        case SortOrder::NameAscending:
            sorted = s_.table.sortByName(true);
            break;
        case SortOrder::NameDescending:
            sorted = s_.table.sortByName(false);
            break;
        case SortOrder::TimeAscending:
            sorted = s_.table.sortByFirstStart(true);
            break;
        case SortOrder::TimeDescending:
            sorted = s_.table.sortByFirstStart(false);
            break;
    }
    if (sorted) {
        refill();
        save();
    }
}

void TimedPage::manualPlay() {
    const QList<int> rows = selectedRows(programmes_);
    if (rows.isEmpty()) {
        showMessage(MessageIcon::Information, QStringLiteral("立即播此节目 - 请先选中节目"), this);
        return;
    }
    ManualPlayDialog dialog(s_.table.at(rows.first()), this);
    if (dialog.exec() == QDialog::Accepted) {
        s_.dispatcher.manualPlay(rows.first(), dialog.count());
    }
}

void TimedPage::stopSelectedRuns() {
    const QList<int> rows = selectedRows(nowPlaying_);
    if (rows.isEmpty()) {
        showMessage(MessageIcon::Information, QStringLiteral("终止本次播放 - 请先选中节目"), this);
        return;
    }
    s_.dispatcher.stopRows(rows);
}

void TimedPage::openLog() {
    const QString path = s_.paths.dataFile(kPlayLogFileName);
    QString message;
    const int fd = openDataFileForRead(path, kDataFileLabel, message);
    if (fd >= 0) {
        ::close(fd);
        QDesktopServices::openUrl(QUrl::fromLocalFile(path));
    } else if (message.isEmpty()) {
        showMessage(MessageIcon::Information, QStringLiteral("还未生成日志文件     \n"), this);
    } else {
        showMessage(MessageIcon::Warning, message, this);
    }
}
