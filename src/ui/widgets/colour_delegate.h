#pragma once

#include <QStyledItemDelegate>

// Draws the text of a cell in the colour its model names for Qt::ForegroundRole ("gray",
// "#808080"): the models live below the widget layer and cannot make a brush.
class ColourDelegate : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;

  protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;
};
