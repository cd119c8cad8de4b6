#include "core/zones/zone_list_model.h"

#include "core/zones/zone_edits.h"

ZoneListModel::ZoneListModel(const ZoneSetup& zones, QObject* parent)
    : QAbstractTableModel(parent), zones_(zones) {
    reload();
}

int ZoneListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_;
}

int ZoneListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : Columns;
}

QVariant ZoneListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rows_ ||
        index.row() >= static_cast<int>(zones_.zones.size())) {
        return {};
    }
    const Zone& zone = zones_.zones[static_cast<size_t>(index.row())];
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole) {
        return {};
    }
    switch (index.column()) {
        case Name:
            return zone.name;
        case Device:
            return zone.device;
        case Programmes:
            return programmesOnZone(zones_, zone.name).join(QStringLiteral("、"));
        default:
            return {};
    }
}

QVariant ZoneListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
        return {};
    }
    static const QStringList headers = {QStringLiteral("分区名称"), QStringLiteral("音频输出设备"),
                                        QStringLiteral("播放的节目")};
    return headers.value(section);
}

void ZoneListModel::reload() {
    beginResetModel();
    rows_ = static_cast<int>(zones_.zones.size());
    endResetModel();
}
