#pragma once

#include <QDialog>

#include "core/zones/zone_setup.h"

class ZoneChecks;

// "播放分区": the zones immediate play sounds on; none ticked is the program-wide output.
class PlayZonesDialog : public QDialog {
    Q_OBJECT
  public:
    PlayZonesDialog(const ZoneSetup& zones, QWidget* parent = nullptr);

    QStringList chosen() const;
    ZoneChecks* checks() const { return checks_; }

  private:
    ZoneChecks* checks_;
};
