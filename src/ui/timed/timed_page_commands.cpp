// The commands of the timed-play page: what the context menus, keys and double clicks do.
#include <unistd.h>
#include <QDesktopServices>
#include <QTreeView>
#include <QUrl>
#include <algorithm>

#include "core/storage/data_file.h"
#include "core/support/messages.h"
#include "core/timed/play_log.h"
#include "core/timed/programme_file.h"
#include "platform/desktop_handlers.h"
#include "ui/timed/log_viewer_dialog.h"
#include "ui/timed/manual_play_dialog.h"
#include "ui/timed/programme_editor.h"
#include "ui/timed/timed_page.h"

QList<int> TimedPage::selectedRows(QTreeView* list) const {
    QList<int> rows;
    for (const QModelIndex& index : list->selectionModel()->selectedRows()) {
        rows.append(index.row());
    }
    std::sort(rows.begin(), rows.end());
    return rows;
}

void TimedPage::selectRows(const QList<int>& rows) {
    QItemSelection selection;
    for (int row : rows) {
        const QModelIndex index = s_.programmes.index(row, 0);
        selection.select(index, index);
    }
    programmes_->selectionModel()->select(
        selection, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

bool TimedPage::save() {
    emit saved();
    QString message;
    if (saveProgrammes(s_.paths.dataFolder, s_.programmes.table(), true, message)) {
        return true;
    }
    // The change stays in memory and in the list.
    showMessage(MessageIcon::Error, message, this);
    return false;
}

void TimedPage::saveZonesOf(const QString& before, const QString& name, const QStringList& chosen) {
    if (s_.zones == nullptr || s_.zones->isEmpty()) {
        return;
    }
    ZoneSetup next = *s_.zones;
    next.renameProgramme(before, name);
    next.setZonesOf(name, chosen);
    changeZones(next);
}

void TimedPage::changeZones(const ZoneSetup& next) {
    // Only a real change is written.
    if (!s_.changeZones || encodeZoneSetup(next) == encodeZoneSetup(*s_.zones)) {
        return;
    }
    QString message;
    if (!s_.changeZones(next, message)) {
        showMessage(MessageIcon::Error, message, this);
    }
}

void TimedPage::addProgramme() {
    if (s_.programmes.rowCount() >= kMaxProgrammes) {
        showMessage(MessageIcon::Warning, QStringLiteral("最多 %1 个节目").arg(kMaxProgrammes),
                    this);
        return;
    }
    ProgrammeEditor editor(s_.programmes, -1, &s_.runs, s_.paths, this, s_.zones);
    if (editor.exec() == QDialog::Accepted) {
        const int row = s_.programmes.rowCount() - 1;
        selectRows({row});
        programmes_->selectionModel()->setCurrentIndex(s_.programmes.index(row, 0),
                                                       QItemSelectionModel::NoUpdate);
        programmes_->scrollTo(s_.programmes.index(row, 0));
        save();
        const QString name = programmeName(s_.programmes.table().at(row));
        saveZonesOf(name, name, editor.chosenZones());
    }
}

void TimedPage::modifyProgramme() {
    const QList<int> rows = selectedRows(programmes_);
    if (rows.isEmpty()) {
        showMessage(MessageIcon::Information, QStringLiteral("修改 - 请先选中节目"), this);
        return;
    }
    const QString before = programmeName(s_.programmes.table().at(rows.first()));
    ProgrammeEditor editor(s_.programmes, rows.first(), &s_.runs, s_.paths, this, s_.zones);
    if (editor.exec() == QDialog::Accepted) {
        save();
        saveZonesOf(before, programmeName(s_.programmes.table().at(rows.first())),
                    editor.chosenZones());
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
    QStringList names;
    for (int row : rows) {
        names.append(programmeName(s_.programmes.table().at(row)));
    }
    s_.programmes.remove(rows, &s_.runs);
    save();
    // A programme gone takes its zones along.
    if (s_.zones != nullptr) {
        ZoneSetup next = *s_.zones;
        for (const QString& name : names) {
            next.renameProgramme(name, QString());
        }
        changeZones(next);
    }
}

void TimedPage::setEnabledFlag(bool disabled, const QString& noSelection) {
    const QList<int> rows = selectedRows(programmes_);
    if (rows.isEmpty()) {
        showMessage(MessageIcon::Information, noSelection, this);
        return;
    }
    if (s_.programmes.setDisabled(rows, disabled)) {
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
    // The selection moved with its rows.
    programmes_->scrollTo(s_.programmes.index(up ? rows.first() : rows.last(), 0));
    save();
}

void TimedPage::moveUp() {
    QList<int> rows = selectedRows(programmes_);
    if (rows.isEmpty() || rows.first() == 0) {
        return;
    }
    if (s_.programmes.moveUp(rows)) {
        afterMove(rows, true);
    }
}

void TimedPage::moveDown() {
    QList<int> rows = selectedRows(programmes_);
    if (rows.isEmpty() || rows.last() == s_.programmes.rowCount() - 1) {
        return;
    }
    if (s_.programmes.moveDown(rows)) {
        afterMove(rows, false);
    }
}

void TimedPage::sortProgrammes(SortOrder order) {
    bool sorted = false;
    switch (order) {
        case SortOrder::NameAscending:
            sorted = s_.programmes.sortByName(true);
            break;
        case SortOrder::NameDescending:
            sorted = s_.programmes.sortByName(false);
            break;
        case SortOrder::TimeAscending:
            sorted = s_.programmes.sortByFirstStart(true);
            break;
        case SortOrder::TimeDescending:
            sorted = s_.programmes.sortByFirstStart(false);
            break;
    }
    if (sorted) {
        save();
    }
}

void TimedPage::manualPlay() {
    const QList<int> rows = selectedRows(programmes_);
    if (rows.isEmpty()) {
        showMessage(MessageIcon::Information, QStringLiteral("立即播此节目 - 请先选中节目"), this);
        return;
    }
    ManualPlayDialog dialog(s_.programmes.table().at(rows.first()), this);
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
        // Without a program for text files on this desktop the log is shown here.
        if (!hasDesktopHandler(QStringLiteral("text/plain")) ||
            !QDesktopServices::openUrl(QUrl::fromLocalFile(path))) {
            showLogViewer();
        }
    } else if (message.isEmpty()) {
        showMessage(MessageIcon::Information, QStringLiteral("还未生成日志文件     \n"), this);
    } else {
        showMessage(MessageIcon::Warning, message, this);
    }
}

void TimedPage::showLogViewer() {
    if (logViewer_ == nullptr) {
        logViewer_ = new LogViewerDialog(s_.paths.dataFile(kPlayLogFileName), this);
        logViewer_->setAttribute(Qt::WA_DeleteOnClose);
    } else {
        logViewer_->reload();
    }
    logViewer_->show();
    logViewer_->raise();
    logViewer_->activateWindow();
}

LogViewerDialog* TimedPage::logViewer() const {
    return logViewer_;
}
