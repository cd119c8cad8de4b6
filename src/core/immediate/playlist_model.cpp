#include "core/immediate/playlist_model.h"

#include <algorithm>
#include <numeric>

#include "core/support/collation.h"

PlaylistModel::PlaylistModel(ImmediateSettings& settings, QObject* parent)
    : QAbstractTableModel(parent), settings_(settings) {}

int PlaylistModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : size();
}

int PlaylistModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 2;
}

QVariant PlaylistModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= size()) {
        return {};
    }
    const PlaylistEntry& entry = settings_.playlist[static_cast<size_t>(index.row())];
    switch (role) {
        case Qt::DisplayRole:
            if (index.column() == 1) {
                return formatDuration(entry.durationMs);
            }
            return entry.isCurrent != 0 ? QStringLiteral("\u2192 ") + entryFileName(entry)
                                        : entryFileName(entry);
        case Qt::TextAlignmentRole:
            return index.column() == 1 ? QVariant(Qt::AlignRight | Qt::AlignVCenter)
                                       : QVariant(Qt::AlignLeft | Qt::AlignVCenter);
        case kCurrentRole:
            return entry.isCurrent != 0;
        default:
            return {};
    }
}

QVariant PlaylistModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
        return {};
    }
    return section == 0 ? QStringLiteral("音乐") : QStringLiteral("时长");
}

bool PlaylistModel::removeRows(int row, int count, const QModelIndex& parent) {
    if (parent.isValid() || row < 0 || count <= 0 || row + count > size()) {
        return false;
    }
    beginRemoveRows(QModelIndex(), row, row + count - 1);
    auto begin = settings_.playlist.begin() + row;
    settings_.playlist.erase(begin, begin + count);
    endRemoveRows();
    return true;
}

void PlaylistModel::reload() {
    beginResetModel();
    endResetModel();
}

void PlaylistModel::append(const std::vector<PlaylistEntry>& entries) {
    if (entries.empty()) {
        return;
    }
    beginInsertRows(QModelIndex(), size(), size() + static_cast<int>(entries.size()) - 1);
    settings_.playlist.insert(settings_.playlist.end(), entries.begin(), entries.end());
    endInsertRows();
}

void PlaylistModel::clear() {
    beginResetModel();
    settings_.playlist.clear();
    endResetModel();
}

void PlaylistModel::refreshRow(int row) {
    if (row >= 0 && row < size()) {
        emit dataChanged(index(row, 0), index(row, 1));
    }
}

void PlaylistModel::setCurrent(int row) {
    const int old = current();
    for (PlaylistEntry& entry : settings_.playlist) {
        entry.isCurrent = 0;
    }
    if (row >= 0 && row < size()) {
        settings_.playlist[static_cast<size_t>(row)].isCurrent = 1;
    }
    refreshRow(old);
    refreshRow(row);
}

void PlaylistModel::setDuration(int row, qint32 durationMs) {
    if (row >= 0 && row < size()) {
        settings_.playlist[static_cast<size_t>(row)].durationMs = durationMs;
        refreshRow(row);
    }
}

void PlaylistModel::swapWithNext(int row) {
    if (row < 0 || row + 1 >= size()) {
        return;
    }
    beginMoveRows(QModelIndex(), row + 1, row + 1, QModelIndex(), row);
    std::swap(settings_.playlist[static_cast<size_t>(row)],
              settings_.playlist[static_cast<size_t>(row + 1)]);
    endMoveRows();
}

void PlaylistModel::sortBy(SortKey key, bool descending) {
    const QCollator collator = nameCollator();
    const auto text = [&](int row) {
        const PlaylistEntry& e = settings_.playlist[static_cast<size_t>(row)];
        return key == SortKey::Name ? entryFileName(e) : entryExtension(e);
    };
    std::vector<int> order(static_cast<size_t>(size()));
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(), [&](int a, int b) {
        const int c = collator.compare(text(a), text(b));
        return descending ? c > 0 : c < 0;
    });
    reorder(order);
}

void PlaylistModel::shuffle(std::mt19937& random) {
    std::vector<int> order(static_cast<size_t>(size()));
    std::iota(order.begin(), order.end(), 0);
    std::shuffle(order.begin(), order.end(), random);
    reorder(order);
}

void PlaylistModel::reorder(const std::vector<int>& order) {
    emit layoutAboutToBeChanged();
    std::vector<int> newRowOf(order.size());
    std::vector<PlaylistEntry> sorted;
    sorted.reserve(order.size());
    for (size_t i = 0; i < order.size(); ++i) {
        sorted.push_back(settings_.playlist[static_cast<size_t>(order[i])]);
        newRowOf[static_cast<size_t>(order[i])] = static_cast<int>(i);
    }
    settings_.playlist = std::move(sorted);
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    for (const QModelIndex& old : before) {
        after.append(index(newRowOf[static_cast<size_t>(old.row())], old.column()));
    }
    changePersistentIndexList(before, after);
    emit layoutChanged();
}

void PlaylistModel::clearPlayedFlags() {
    ::clearPlayedFlags(settings_.playlist);
}
