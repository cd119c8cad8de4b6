#pragma once

#include <QList>
#include <QStringList>
#include <QWidget>

#include "core/zones/zone_setup.h"

class QCheckBox;

// One check box per zone, four to a line, in the order of the zone list: where a programme
// or immediate play sounds. None ticked means the program-wide output.
class ZoneChecks : public QWidget {
    Q_OBJECT
  public:
    explicit ZoneChecks(const ZoneSetup& zones, QWidget* parent = nullptr);

    // Ticks the zones named (ignoring case), and only those.
    void setChosen(const QStringList& zones);
    // The ticked zones as the zone list spells them, in its order.
    QStringList chosen() const;
    QList<QCheckBox*> boxes() const { return boxes_; }

  private:
    QList<QCheckBox*> boxes_;
};

// What "none ticked" means, beside the boxes.
inline const QString kWholeOutputHint = QStringLiteral("都不选 = 总输出设备");
