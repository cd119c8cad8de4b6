#include "ui/widgets/zone_checks.h"

#include <QCheckBox>
#include <QGridLayout>

namespace {

constexpr int kBoxesPerLine = 4;
// A name longer than this is shortened on its box; the tip shows it whole.
constexpr int kShownNameWidth = 160;

}  // namespace

ZoneChecks::ZoneChecks(const ZoneSetup& zones, QWidget* parent) : QWidget(parent) {
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    for (const Zone& zone : zones.zones) {
        auto* box = new QCheckBox(this);
        // "&" would mark a shortcut key.
        box->setText(box->fontMetrics()
                         .elidedText(zone.name, Qt::ElideRight, kShownNameWidth)
                         .replace(u'&', QStringLiteral("&&")));
        box->setToolTip(QStringLiteral("%1 (%2)").arg(zone.name, zone.device));
        box->setProperty("zone", zone.name);
        const int index = static_cast<int>(boxes_.size());
        grid->addWidget(box, index / kBoxesPerLine, index % kBoxesPerLine);
        boxes_.append(box);
    }
    grid->setColumnStretch(kBoxesPerLine, 1);
}

void ZoneChecks::setChosen(const QStringList& zones) {
    for (QCheckBox* box : boxes_) {
        box->setChecked(zones.contains(box->property("zone").toString(), Qt::CaseInsensitive));
    }
}

QStringList ZoneChecks::chosen() const {
    QStringList names;
    for (const QCheckBox* box : boxes_) {
        if (box->isChecked()) {
            names.append(box->property("zone").toString());
        }
    }
    return names;
}
