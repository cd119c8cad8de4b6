#include "core/holidays/proposed_day_list_model.h"

#include <QDate>

Qt::ItemFlags ProposedDayListModel::flags(const QModelIndex& index) const {
    const Qt::ItemFlags base = AdjustedDayListModel::flags(index);
    return index.isValid() && index.column() == DateBColumn ? base | Qt::ItemIsEditable : base;
}

QVariant ProposedDayListModel::data(const QModelIndex& index, int role) const {
    if (role == Qt::EditRole && index.isValid() && index.column() == DateBColumn &&
        index.row() < rowCount()) {
        const CalendarDate& b = at(index.row()).dateB;
        return QDate(b.year, b.month, b.day);
    }
    return AdjustedDayListModel::data(index, role);
}

bool ProposedDayListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    const QDate date = value.toDate();
    if (role != Qt::EditRole || !index.isValid() || index.column() != DateBColumn ||
        index.row() >= rowCount() || !isValidDate(date.year(), date.month(), date.day())) {
        return false;
    }
    AdjustedDay day = at(index.row());
    day.dateB = CalendarDate{date.year(), date.month(), date.day()};
    replace(index.row(), day);
    return true;
}
