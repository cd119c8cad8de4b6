#include "core/timed/now_playing_model.h"

int NowPlayingModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : size();
}

int NowPlayingModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : Columns;
}

QVariant NowPlayingModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= size() || role != Qt::DisplayRole) {
        return {};
    }
    const ActiveRun& run = *runs_[static_cast<size_t>(index.row())];
    switch (index.column()) {
        case Name:
            return run.label();
        case Progress:
            return run.progressText;
        case Track:
            return run.trackText;
        default:
            return {};
    }
}

void NowPlayingModel::append(std::unique_ptr<ActiveRun> run, const QString& progress) {
    run->progressText = progress;
    beginInsertRows({}, size(), size());
    runs_.push_back(std::move(run));
    endInsertRows();
}

std::unique_ptr<ActiveRun> NowPlayingModel::take(int row) {
    beginRemoveRows({}, row, row);
    std::unique_ptr<ActiveRun> run = std::move(runs_[static_cast<size_t>(row)]);
    runs_.erase(runs_.begin() + row);
    endRemoveRows();
    return run;
}

ActiveRunList NowPlayingModel::takeAll() {
    beginResetModel();
    ActiveRunList all = std::move(runs_);
    runs_.clear();
    endResetModel();
    return all;
}

void NowPlayingModel::setProgress(int row, const QString& text) {
    QString& kept = at(row).progressText;
    if (kept != text) {
        kept = text;
        emit dataChanged(index(row, Progress), index(row, Progress), {Qt::DisplayRole});
    }
}

void NowPlayingModel::setTrack(int row, const QString& text) {
    QString& kept = at(row).trackText;
    if (kept != text) {
        kept = text;
        emit dataChanged(index(row, Track), index(row, Track), {Qt::DisplayRole});
    }
}
