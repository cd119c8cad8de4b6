#include <QDesktopServices>
#include <QFileInfo>
#include <QItemSelectionModel>
#include <QTreeView>
#include <QUrl>
#include <algorithm>
#include <chrono>

#include "core/immediate/immediate_texts.h"
#include "core/storage/folders.h"
#include "core/support/messages.h"
#include "core/support/music_files.h"
#include "platform/file_manager.h"
#include "ui/immediate/announcement_dialog.h"
#include "ui/immediate/immediate_page.h"
#include "ui/immediate/import_dialog.h"
#include "ui/immediate/limit_dialog.h"
#include "ui/immediate/play_zones_dialog.h"
#include "ui/widgets/hyper_link.h"
#include "ui/widgets/music_dialogs.h"

namespace {

QString pathProblem(const QString& problem, const QString& path) {
    return QStringLiteral("%1：\n%2").arg(problem, path);
}

// The widest the zones of immediate play are named on their link.
constexpr int kZonesLinkWidth = 240;

void openFolder(const QString& folder) {
    QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
}

}  // namespace

QList<int> ImmediatePage::selectedRows() const {
    QList<int> rows;
    for (const QModelIndex& index : list_->selectionModel()->selectedRows()) {
        rows.append(index.row());
    }
    std::sort(rows.begin(), rows.end());
    return rows;
}

void ImmediatePage::selectRow(int row, bool scroll) {
    const QModelIndex index = s_.playlist.index(row, 0);
    list_->selectionModel()->select(index, QItemSelectionModel::Select | QItemSelectionModel::Rows);
    if (scroll) {
        list_->scrollTo(index);
    }
}

bool ImmediatePage::save() {
    return s_.store.save(true);
}

bool ImmediatePage::refuseWhenFull() {
    if (!s_.playlist.isFull()) {
        return false;
    }
    showMessage(MessageIcon::Warning, ImmediateTexts::tooManyTracks(), this);
    return true;
}

bool ImmediatePage::importTracks(const QList<ImportSource>& sources) {
    ImportJob job(s_.probe);
    job.start(sources, kPlaylistCapacity - s_.playlist.size());
    ImportDialog dialog(job, s_.playlist, this);
    if (dialog.exec() != QDialog::Accepted) {
        return false;
    }
    list_->clearSelection();
    selectRow(s_.playlist.size() - 1);
    save();
    return true;
}

void ImmediatePage::startPlay() {
    if (s_.player.isActive()) {
        return;
    }
    if (s_.playlist.size() == 0) {
        addFiles();
        if (s_.playlist.size() == 0) {
            return;
        }
    }
    if (s_.playlist.current() < 0) {
        s_.playlist.setCurrent(0);
    }
    openLimitDialog();
}

void ImmediatePage::playRow() {
    const QList<int> rows = selectedRows();
    if (rows.isEmpty()) {
        return;
    }
    if (s_.player.isActive()) {
        s_.player.stopImmediatePlay(true);
    }
    s_.playlist.setCurrent(rows.first());
    openLimitDialog();
}

void ImmediatePage::openLimitDialog() {
    ImmediateSettings& settings = s_.store.settings();
    LimitDialog dialog(settings.limitByTracks != 0, s_.player.limitTracks(),
                       s_.player.limitSeconds(), this);
    if (dialog.exec() != QDialog::Accepted) {
        save();
        return;
    }
    settings.limitByTracks = dialog.byTracks() ? 1 : 0;
    s_.player.setLimits(dialog.tracks(), dialog.seconds());
    s_.player.startImmediatePlay();
}

void ImmediatePage::openAnnouncement() {
    if (s_.announcement == nullptr || s_.route == nullptr) {
        return;
    }
    AnnouncementDialog dialog(*s_.announcement, *s_.route, listInputDevices(), this);
    dialog.exec();
}

void ImmediatePage::stopPlay() {
    s_.player.stopImmediatePlay(true);
}

void ImmediatePage::addFiles() {
    if (refuseWhenFull()) {
        return;
    }
    const QStringList files = chooseMusicFiles(this, s_.paths.musicFolder, true);
    if (files.isEmpty()) {
        return;
    }
    // Several files come from one folder: that folder is checked, else the file.
    const bool several = files.size() > 1;
    const QString checked = several ? parentFolder(files.first()) : files.first();
    QString problem;
    if (!validateMusicPath(checked, several ? QStringLiteral("文件夹") : QStringLiteral("文件"),
                           several, problem)) {
        showMessage(MessageIcon::Warning, pathProblem(problem, checked), this);
        return;
    }
    QList<ImportSource> sources;
    for (const QString& file : files) {
        sources.append({file, false});
    }
    importTracks(sources);
}

void ImmediatePage::addFolder() {
    if (refuseWhenFull()) {
        return;
    }
    const QString folder = chooseMusicFolder(this, s_.paths.musicFolder);
    if (folder.isEmpty()) {
        return;
    }
    QString problem;
    if (!validateMusicPath(folder, QStringLiteral("文件夹"), true, problem)) {
        showMessage(MessageIcon::Warning, pathProblem(problem, folder), this);
        return;
    }
    importTracks({{folder, true}});
}

void ImmediatePage::dropPaths(const QStringList& paths) {
    if (refuseWhenFull()) {
        return;
    }
    QList<ImportSource> sources;
    for (const QString& path : paths) {
        if (isFolder(path)) {
            QString problem;
            if (!validateMusicPath(path, QStringLiteral("文件夹"), true, problem)) {
                showMessage(MessageIcon::Warning, pathProblem(problem, path), this);
                return;
            }
            sources.append({path, true});
        } else if (isPlayableExtension(path)) {
            sources.append({path, false});
        }
    }
    if (!sources.isEmpty()) {
        importTracks(sources);
    }
}

void ImmediatePage::deleteSelected() {
    if (selectedRows().isEmpty()) {
        showMessage(MessageIcon::Information, QStringLiteral("删除 - 请先选中音乐"), this);
        return;
    }
    s_.playlist.clearPlayedFlags();
    for (QList<int> rows = selectedRows(); !rows.isEmpty(); rows = selectedRows()) {
        const int row = rows.first();
        if (row == s_.playlist.current() && s_.player.isActive()) {
            s_.player.stopImmediatePlay(true);
        }
        s_.playlist.removeRows(row, 1);
    }
    save();
}

void ImmediatePage::moveUp() {
    const QList<int> rows = selectedRows();
    if (rows.isEmpty()) {
        showMessage(MessageIcon::Information, QStringLiteral("上移 - 请先选中音乐"), this);
        return;
    }
    if (rows.first() == 0) {
        return;
    }
    s_.playlist.clearPlayedFlags();
    list_->selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
    for (int row : rows) {
        s_.playlist.swapWithNext(row - 1);
    }
    list_->scrollTo(s_.playlist.index(rows.first() - 1, 0));
    save();
}

void ImmediatePage::moveDown() {
    const QList<int> rows = selectedRows();
    if (rows.isEmpty()) {
        showMessage(MessageIcon::Information, QStringLiteral("下移 - 请先选中音乐"), this);
        return;
    }
    if (rows.last() == s_.playlist.size() - 1) {
        return;
    }
    s_.playlist.clearPlayedFlags();
    list_->selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
    for (auto row = rows.rbegin(); row != rows.rend(); ++row) {
        s_.playlist.swapWithNext(*row);
    }
    list_->scrollTo(s_.playlist.index(std::min(rows.last() + 2, s_.playlist.size() - 1), 0));
    save();
}

void ImmediatePage::sortPlaylist(SortOrder order) {
    if (s_.playlist.size() < 2) {
        return;
    }
    switch (order) {
        case SortOrder::NameAscending:
        case SortOrder::NameDescending:
            s_.playlist.sortBy(PlaylistModel::SortKey::Name, order == SortOrder::NameDescending);
            break;
        case SortOrder::TypeAscending:
        case SortOrder::TypeDescending:
            s_.playlist.sortBy(PlaylistModel::SortKey::Type, order == SortOrder::TypeDescending);
            break;
        case SortOrder::Shuffle: {
            static std::mt19937 random(
                static_cast<unsigned>(std::chrono::system_clock::now().time_since_epoch().count()));
            s_.playlist.shuffle(random);
            break;
        }
    }
    s_.playlist.clearPlayedFlags();
    list_->clearSelection();
    list_->scrollToTop();
    revealRow(s_.playlist.current());
    save();
}

void ImmediatePage::clearPlaylist() {
    if (s_.playlist.size() == 0 ||
        !askYesNo(MessageIcon::Question, QStringLiteral("确定清空？"), this)) {
        return;
    }
    if (s_.player.isActive()) {
        s_.player.stopImmediatePlay(true);
    }
    s_.playlist.clear();
    save();
}

void ImmediatePage::openContainingFolder() {
    const QList<int> rows = selectedRows();
    if (rows.isEmpty()) {
        showMessage(MessageIcon::Information, QStringLiteral("打开所在文件夹 - 请先选中音乐"),
                    this);
        return;
    }
    const QString path = entryPath(s_.playlist.entries()[static_cast<size_t>(rows.first())]);
    const QString folder = parentFolder(path);
    if (QFileInfo::exists(path)) {
        showInFileManager(path, [folder] { openFolder(folder); });
    } else if (isFolder(folder)) {
        openFolder(folder);
    } else {
        showMessage(MessageIcon::Warning, QStringLiteral("音乐不存在：\n%1").arg(path), this);
    }
}

void ImmediatePage::refreshZones() {
    const bool shown = s_.zones != nullptr && !s_.zones->isEmpty() && s_.changeZones;
    zonesLink_->setVisible(shown);
    if (shown) {
        const QString where = s_.zones->immediate.isEmpty()
                                  ? QStringLiteral("总输出设备")
                                  : s_.zones->immediate.join(QStringLiteral("、"));
        // Many zones would push the page wide: the tip names them all.
        zonesLink_->setText(
            QStringLiteral("播放分区: %1 …")
                .arg(zonesLink_->fontMetrics().elidedText(where, Qt::ElideRight, kZonesLinkWidth)));
        zonesLink_->setToolTip(where);
    }
}

void ImmediatePage::chooseZones() {
    if (s_.zones == nullptr || s_.zones->isEmpty() || !s_.changeZones) {
        return;
    }
    PlayZonesDialog dialog(*s_.zones, this);
    if (dialog.exec() != QDialog::Accepted || dialog.chosen() == s_.zones->immediate) {
        return;
    }
    ZoneSetup next = *s_.zones;
    next.immediate = dialog.chosen();
    QString message;
    if (!s_.changeZones(next, message)) {
        showMessage(MessageIcon::Error, message, this);
    }
    refreshZones();
}
