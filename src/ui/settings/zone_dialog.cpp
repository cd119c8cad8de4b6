#include "ui/settings/zone_dialog.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "audio/output_devices.h"
#include "audio/test_chime.h"
#include "ui/settings/chime_trial.h"
#include "ui/widgets/dialog_buttons.h"
#include "ui/widgets/refusal.h"

ZoneDialog::ZoneDialog(const Zone& zone, OutputDevices& devices, ProblemCheck problemWith,
                       QWidget* parent)
    : QDialog(parent), devices_(devices), problemWith_(std::move(problemWith)) {
    setWindowTitle(QStringLiteral("分区"));
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout();
    name_ = new QLineEdit(zone.name, this);
    name_->setObjectName(QStringLiteral("zoneNameEdit"));
    name_->setMaxLength(kMaxZoneNameLength);
    form->addRow(QStringLiteral("分区名称:"), name_);
    list_ = new QComboBox(this);
    list_->setObjectName(QStringLiteral("zoneDeviceList"));
    list_->setMinimumWidth(320);
    list_->addItems(devices_.names());
    // An output unplugged for now stays the zone's choice.
    if (!zone.device.isEmpty() && list_->findText(zone.device, Qt::MatchFixedString) < 0) {
        list_->insertItem(0, zone.device);
    }
    list_->setCurrentIndex(
        zone.device.isEmpty() ? -1 : list_->findText(zone.device, Qt::MatchFixedString));
    auto* deviceRow = new QHBoxLayout();
    deviceRow->addWidget(list_, 1);
    auto* test = new QPushButton(QStringLiteral("试听"), this);
    test->setObjectName(QStringLiteral("chimeButton"));
    test->setAutoDefault(false);
    test->setToolTip(QStringLiteral("在选中的设备上播放一小段提示音"));
    deviceRow->addWidget(test);
    form->addRow(QStringLiteral("音频输出设备:"), deviceRow);
    layout->addLayout(form);
    layout->addWidget(new QLabel(
        QStringLiteral("每个分区接一路功放和喇叭；网络上的喇叭可经 Snapcast 等接入为输出设备"),
        this));
    layout->addWidget(okCancelButtons(this));

    chime_ = new TestChime(devices_, this);
    connect(test, &QPushButton::clicked, this, &ZoneDialog::playChime);
    connect(chime_, &TestChime::failed, this, [this](const QString& text) {
        showMessage(MessageIcon::Warning, QStringLiteral("试听失败：\n%1").arg(text), this);
    });
    name_->setFocus();
}

ZoneDialog::~ZoneDialog() = default;

Zone ZoneDialog::zone() const {
    return {name_->text().trimmed(), list_->currentText()};
}

void ZoneDialog::playChime() {
    const QString name = list_->currentText();
    if (name.isEmpty()) {
        refuseInput(this, MessageIcon::Warning, QStringLiteral("请选取音频设备     \n"), list_);
        return;
    }
    playChimeOn(*chime_, name, this);
}

void ZoneDialog::accept() {
    const Zone chosen = zone();
    if (chosen.device.isEmpty()) {
        refuseInput(this, MessageIcon::Warning, QStringLiteral("请选取音频设备     \n"), list_);
        return;
    }
    const QString problem = problemWith_(chosen);
    if (!problem.isEmpty()) {
        refuseInput(this, MessageIcon::Warning, problem, name_);
        return;
    }
    chime_->stop();
    QDialog::accept();
}
