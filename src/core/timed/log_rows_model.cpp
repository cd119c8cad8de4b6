#include "core/timed/log_rows_model.h"

#include "core/support/date_text.h"

int LogRowsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int LogRowsModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : Columns;
}

QVariant LogRowsModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount() ||
        (role != Qt::DisplayRole && role != Qt::ToolTipRole)) {
        return {};
    }
    const Row& row = rows_[static_cast<size_t>(index.row())];
    return index.column() == Time ? row.time : row.text;
}

void LogRowsModel::append(const LocalDateTime& time, const QString& text) {
    if (rows_.size() > static_cast<size_t>(kRowsLimit)) {
        beginResetModel();
        rows_.clear();
        endResetModel();
    }
    const int row = rowCount();
    beginInsertRows({}, row, row);
    rows_.push_back({formatTimestamp(time), text});
    endInsertRows();
}
