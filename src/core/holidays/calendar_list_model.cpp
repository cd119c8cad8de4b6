#include "core/holidays/calendar_list_model.h"

#include <algorithm>

CalendarListModel::CalendarListModel(QStringList headings, int stateColumn, int capacity,
                                     QObject* parent)
    : QAbstractTableModel(parent),
      headings_(std::move(headings)),
      stateColumn_(stateColumn),
      capacity_(capacity) {}

QString CalendarListModel::stateText(qint32 disabled) {
    return disabled == 0 ? QStringLiteral("启用") : QStringLiteral("停用");
}

int CalendarListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : entryCount();
}

int CalendarListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(headings_.size());
}

QVariant CalendarListModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid)) {
        return {};
    }
    switch (role) {
        case Qt::DisplayRole:
            return cellText(index.row(), index.column());
        case Qt::TextAlignmentRole:
            return index.column() == stateColumn_ ? QVariant(Qt::AlignCenter)
                                                  : QVariant(Qt::AlignLeft | Qt::AlignVCenter);
        default:
            return {};
    }
}

QVariant CalendarListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= headings_.size()) {
        return {};
    }
    if (role == Qt::DisplayRole) {
        return headings_[section];
    }
    if (role == Qt::TextAlignmentRole) {
        return section == stateColumn_ ? QVariant(Qt::AlignCenter)
                                       : QVariant(Qt::AlignLeft | Qt::AlignVCenter);
    }
    return {};
}

void CalendarListModel::remove(QList<int> rows) {
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    // From the bottom, so the rows still to go keep their numbers.
    for (auto it = rows.crbegin(); it != rows.crend(); ++it) {
        if (*it < 0 || *it >= entryCount()) {
            continue;
        }
        beginRemoveRows(QModelIndex(), *it, *it);
        eraseEntry(*it);
        endRemoveRows();
    }
}

bool CalendarListModel::setDisabled(const QList<int>& rows, bool disabled) {
    bool changed = false;
    for (int row : rows) {
        if (row < 0 || row >= entryCount()) {
            continue;
        }
        qint32& flag = disabledFlag(row);
        if ((flag != 0) == disabled) {
            continue;
        }
        flag = disabled ? 1 : 0;
        changed = true;
        emit dataChanged(index(row, 0), index(row, columnCount() - 1));
    }
    return changed;
}

void CalendarListModel::reload() {
    beginResetModel();
    endResetModel();
}

bool CalendarListModel::resort(const std::function<bool()>& sort) {
    if (entryCount() < 2) {
        return false;
    }
    beginResetModel();
    sort();
    endResetModel();
    return true;
}
