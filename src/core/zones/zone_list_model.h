#pragma once

#include <QAbstractTableModel>

#include "core/zones/zone_setup.h"

// The zones of the zones dialog, one row each: name and output device, in the order of the
// zone file. It shows the program's zones as they are; reload() after they changed.
class ZoneListModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    enum Column { Name, Device, Programmes, Columns };

    explicit ZoneListModel(const ZoneSetup& zones, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    void reload();

  private:
    const ZoneSetup& zones_;
    int rows_ = 0;  // as last announced
};
