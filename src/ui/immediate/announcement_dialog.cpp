#include "ui/immediate/announcement_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <algorithm>

#include "core/support/messages.h"

namespace {

// The meter shows the last 60 dB below full scale.
constexpr int kMeterRangeDb = 60;

}  // namespace

AnnouncementDialog::AnnouncementDialog(Announcement& announcement, LiveRoute& route,
                                       const std::vector<InputDevice>& inputs, QWidget* parent)
    : QDialog(parent), announcement_(announcement), route_(route) {
    setWindowTitle(QStringLiteral("喊话"));
    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel(QStringLiteral("输入设备:"), this), 0, 0);
    inputs_ = new QComboBox(this);
    inputs_->setObjectName(QStringLiteral("inputList"));
    for (const InputDevice& input : inputs) {
        inputs_->addItem(input.name, input.id);
    }
    grid->addWidget(inputs_, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("音量:"), this), 1, 0);
    meter_ = new QProgressBar(this);
    meter_->setObjectName(QStringLiteral("levelMeter"));
    meter_->setRange(0, kMeterRangeDb);
    meter_->setTextVisible(false);
    grid->addWidget(meter_, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("喊话区域:"), this), 2, 0, Qt::AlignTop);
    auto* zoneColumn = new QVBoxLayout();
    zones_ = announcement_.everyZone();
    for (const QString& zone : zones_) {
        auto* box = new QCheckBox(zoneLabel(zone), this);
        box->setChecked(true);
        zoneColumn->addWidget(box);
        zoneBoxes_.append(box);
    }
    grid->addLayout(zoneColumn, 2, 1);
    state_ = new QLabel(this);
    state_->setObjectName(QStringLiteral("state"));
    grid->addWidget(state_, 3, 0, 1, 2);
    auto* buttons = new QHBoxLayout();
    start_ = new QPushButton(QStringLiteral("开始喊话"), this);
    start_->setObjectName(QStringLiteral("startButton"));
    end_ = new QPushButton(QStringLiteral("结束喊话"), this);
    end_->setObjectName(QStringLiteral("endButton"));
    auto* close = new QPushButton(QStringLiteral("关闭"), this);
    for (QPushButton* b : {start_, end_, close}) {
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }
    grid->addLayout(buttons, 4, 0, 1, 2);
    connect(start_, &QPushButton::clicked, this, &AnnouncementDialog::begin);
    connect(end_, &QPushButton::clicked, this, &AnnouncementDialog::finish);
    connect(close, &QPushButton::clicked, this, &AnnouncementDialog::reject);
    connect(inputs_, &QComboBox::currentIndexChanged, this, [this] { listen(); });
    connect(&route_, &LiveRoute::levelChanged, this, [this](double peakDb) {
        meter_->setValue(std::clamp(static_cast<int>(peakDb) + kMeterRangeDb, 0, kMeterRangeDb));
    });
    // Ended elsewhere (the emergency alarm, an input unplugged): the dialog follows.
    connect(&announcement_, &Announcement::activeChanged, this, [this](bool active) {
        showState();
        if (!active) {
            listen();
        }
    });
    if (inputs.empty()) {
        state_->setText(QStringLiteral("找不到输入设备 (话筒)"));
    }
    showState();
    listen();
}

AnnouncementDialog::~AnnouncementDialog() {
    QString message;
    route_.listen(QString(), message);
}

void AnnouncementDialog::listen() {
    if (announcement_.isActive() || inputs_->currentIndex() < 0) {
        return;
    }
    meter_->setValue(0);
    QString message;
    if (!route_.listen(inputs_->currentData().toString(), message)) {
        state_->setText(message);
    } else {
        state_->clear();
    }
}

QStringList AnnouncementDialog::chosenZones() const {
    QStringList chosen;
    for (qsizetype i = 0; i < zoneBoxes_.size(); ++i) {
        if (zoneBoxes_[i]->isChecked()) {
            chosen.append(zones_[i]);
        }
    }
    return chosen;
}

void AnnouncementDialog::begin() {
    if (announcement_.isActive() || inputs_->currentIndex() < 0) {
        return;
    }
    const QStringList zones = chosenZones();
    if (zones.isEmpty()) {
        showMessage(MessageIcon::Information, QStringLiteral("请选择喊话区域     \n"), this);
        return;
    }
    QString message;
    if (!announcement_.begin(inputs_->currentData().toString(), zones, message)) {
        showMessage(MessageIcon::Warning, QStringLiteral("喊话失败：\n%1").arg(message), this);
        listen();
    }
}

void AnnouncementDialog::finish() {
    announcement_.end();
}

void AnnouncementDialog::showState() {
    const bool active = announcement_.isActive();
    start_->setEnabled(!active && inputs_->count() > 0);
    end_->setEnabled(active);
    inputs_->setEnabled(!active);
    for (QCheckBox* box : zoneBoxes_) {
        box->setEnabled(!active);
    }
    if (active) {
        state_->setText(QStringLiteral("喊话中…"));
    }
}

void AnnouncementDialog::reject() {
    announcement_.end();
    QDialog::reject();
}
