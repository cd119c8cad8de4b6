#pragma once

#include "core/holidays/adjusted_day_list_model.h"

// The adjusted days an import proposes, with the b date open to change before they are
// added: its cell edits as a date.
class ProposedDayListModel : public AdjustedDayListModel {
  public:
    using AdjustedDayListModel::AdjustedDayListModel;

    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
};
