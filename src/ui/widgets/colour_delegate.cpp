#include "ui/widgets/colour_delegate.h"

#include <QColor>

void ColourDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const {
    QStyledItemDelegate::initStyleOption(option, index);
    const QVariant colour = index.data(Qt::ForegroundRole);
    if (colour.typeId() == QMetaType::QString) {
        const QColor c = QColor::fromString(colour.toString());
        if (c.isValid()) {
            option->palette.setColor(QPalette::Text, c);
        }
    }
}
