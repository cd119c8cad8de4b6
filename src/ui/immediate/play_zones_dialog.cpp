#include "ui/immediate/play_zones_dialog.h"

#include <QLabel>
#include <QVBoxLayout>

#include "ui/widgets/dialog_buttons.h"
#include "ui/widgets/zone_checks.h"

PlayZonesDialog::PlayZonesDialog(const ZoneSetup& zones, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("播放分区"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(
        new QLabel(QStringLiteral("立即播在这些分区播放，并只降低这些分区里定时播的音量:"), this));
    checks_ = new ZoneChecks(zones, this);
    checks_->setObjectName(QStringLiteral("zoneChecks"));
    checks_->setChosen(zones.immediate);
    layout->addWidget(checks_);
    layout->addWidget(new QLabel(kWholeOutputHint, this));
    layout->addWidget(okCancelButtons(this));
}

QStringList PlayZonesDialog::chosen() const {
    return checks_->chosen();
}
