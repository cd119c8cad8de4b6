#pragma once

#include <QDialog>

#include "core/zones/zone_edits.h"

class OutputDevices;
class QTreeView;
class ZoneListModel;

// "分区": the zones, each a loudspeaker line on an output device. "添加…", "修改…" and
// "删除" change them at once through `change` (which saves the zone file); the list shows the
// program's zones as they stand, also after another program replaced the file.
class ZonesDialog : public QDialog {
    Q_OBJECT
  public:
    ZonesDialog(const ZoneSetup& zones, ZoneChange change, OutputDevices& devices,
                QWidget* parent = nullptr);
    ~ZonesDialog() override;

    QTreeView* list() const { return list_; }

    void addZone();
    void changeZone();
    void deleteZone();
    // The zones changed (here or elsewhere): the list shows them anew.
    void refill();

  private:
    int selectedRow() const;
    // Puts the new setup in place; the list follows.
    bool apply(const ZoneSetup& next);

    const ZoneSetup& zones_;
    ZoneChange change_;
    OutputDevices& devices_;
    ZoneListModel* model_;
    QTreeView* list_;
};
