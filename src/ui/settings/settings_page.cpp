#include "ui/settings/settings_page.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

#include "audio/output_devices.h"
#include "core/emergency/emergency_alarm.h"
#include "core/settings/settings_file.h"
#include "core/support/messages.h"
#include "ui/settings/zones_dialog.h"
#include "ui/widgets/amplifier_dialog.h"
#include "ui/widgets/hint_link.h"
#include "ui/widgets/music_dialogs.h"

namespace {

const QString kAutoLogonHint = QStringLiteral(
    "图文教程，参看：\n帮助 > 自动登录桌面的方法\n\n在登录管理器里打开自动登录：\n"
    "GNOME (GDM)：设置 > 用户 > 自动登录\nKDE (SDDM)：系统设置 > 登录屏幕 > 行为 > 自动登录\n"
    "Xfce、MATE 等 (LightDM)：/etc/lightdm/lightdm.conf 里的 autologin-user\n\n"
    "技术支持 - 帮助栏里有联系方式");
const QString kPowerOnHint = QStringLiteral(
    "图文教程，参看：\n官网 > 帮助 > 电脑定时开机\n\n技术支持 / 官网：\n帮助栏里有联系方式 / 网址");
const QString kZonesHint = QStringLiteral(
    "多路分区的实现方法：\n1. 每个区域一台功放，接电脑的一个音频输出设备 (例如 USB 声卡)\n2. "
    "在\"分区…\"里为每个区域建一个分区，选它的音频输出设备\n3. "
    "在节目属性里勾选节目的分区；不同分区的节目可以同时播放\n4. "
    "远处楼里的喇叭可以经网络接入 (Snapcast 等)，在这里当作音频输出设备\n\n详情参看：帮助栏");
const QString kReadFailure = QStringLiteral(
    "读自动启动设置失败：\n无法读取 \"开机自动启动\" 相关设置\n\n%1\n\n\n常见原因 - "
    "被杀毒类软件拦截\n( "
    "卸载杀毒、卫士，再次尝试 )\n\n技术支持 - 帮助栏里有联系方式");
const QString kWriteFailure = QStringLiteral(
    "写自动启动设置失败：\n无法保存 \"开机自动启动\" 相关设置\n\n%1\n\n\n常见原因 - "
    "被杀毒类软件拦截\n( "
    "卸载杀毒、卫士，再次尝试 )\n\n技术支持 - 帮助栏里有联系方式");

QLabel* heading(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setAlignment(Qt::AlignHCenter);
    return label;
}

// A label and a link on one line.
QHBoxLayout* labelled(const QString& label, QWidget* link, QWidget* parent) {
    auto* row = new QHBoxLayout();
    row->addWidget(new QLabel(label, parent));
    row->addWidget(link);
    row->addStretch();
    return row;
}

QWidget* indented(QWidget* widget, int pixels) {
    auto* holder = new QWidget(widget->parentWidget());
    auto* row = new QHBoxLayout(holder);
    row->setContentsMargins(pixels, 0, 0, 0);
    row->addWidget(widget);
    row->addStretch();
    return holder;
}

}  // namespace

SettingsPage::SettingsPage(const Services& services, QWidget* parent)
    : QWidget(parent), s_(services), entry_(services.autostartFolder, services.programPath) {
    // Two columns side by side while they fit; on a narrow window one below the other, and
    // the page scrolls rather than cutting a text or a link short.
    auto* room = new QScrollArea(this);
    room->setFrameShape(QFrame::NoFrame);
    room->setWidgetResizable(true);
    room->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto* content = new QWidget(room);
    columns_ = new QBoxLayout(QBoxLayout::LeftToRight, content);
    startColumn_ = buildStartColumn();
    otherColumn_ = buildOtherColumn();
    columns_->addLayout(startColumn_, 1);
    columns_->addSpacing(static_cast<int>(40 * s_.paths.dpiScale));
    columns_->addLayout(otherColumn_, 1);
    room->setWidget(content);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(room);
    refresh();
    connect(&s_.shutdowns, &ShutdownScheduler::countdownStarted, this,
            &SettingsPage::showCountdown);
}

void SettingsPage::resizeEvent(QResizeEvent* event) {
    const QMargins margins = columns_->contentsMargins();
    const int sideBySide =
        startColumn_->minimumSize().width() + otherColumn_->minimumSize().width() +
        static_cast<int>(40 * s_.paths.dpiScale) + margins.left() + margins.right();
    columns_->setDirection(width() < sideBySide ? QBoxLayout::TopToBottom
                                                : QBoxLayout::LeftToRight);
    QWidget::resizeEvent(event);
}

QVBoxLayout* SettingsPage::buildStartColumn() {
    const int indent = static_cast<int>(22 * s_.paths.dpiScale);
    auto* column = new QVBoxLayout();
    column->addWidget(heading(QStringLiteral("┄┄ 开关机 ┄┄"), this));
    autoStart_ = new QCheckBox(QStringLiteral("登录桌面后自动启动"), this);
    minimised_ = new QCheckBox(QStringLiteral("并最小化到屏幕右下角"), this);
    locked_ = new QCheckBox(QStringLiteral("并立即锁屏"), this);
    column->addWidget(autoStart_);
    column->addWidget(indented(minimised_, indent));
    column->addWidget(indented(locked_, indent));
    connect(autoStart_, &QCheckBox::clicked, this, &SettingsPage::autoStartClicked);
    connect(minimised_, &QCheckBox::clicked, this, [this](bool checked) {
        options_.minimised = checked;
        writeAutoStart();
    });
    connect(locked_, &QCheckBox::clicked, this, [this](bool checked) {
        options_.locked = checked;
        writeAutoStart();
    });
    column->addWidget(makeHintLink(QStringLiteral("有用户密码时, 自动登录桌面的方法"),
                                   kAutoLogonHint, this, s_.paths, QStringLiteral("autologon")));
    column->addWidget(new QLabel(QStringLiteral("( 自动登录桌面后, 可以立即锁屏 )"), this));
    column->addSpacing(indent);
    column->addLayout(buildScheduleRows());
    column->addSpacing(indent);
    column->addLayout(
        labelled(QStringLiteral("定时开机:"),
                 makeHintLink(QStringLiteral("通过主板BIOS实现电脑定时开机教程"), kPowerOnHint,
                              this, s_.paths, QStringLiteral("poweron")),
                 this));
    auto* amplifier = new HyperLink(QStringLiteral("定时开/关功放机的方法"), this);
    connect(amplifier, &HyperLink::clicked, this, [this] {
        AmplifierDialog dialog(s_.paths, this);
        dialog.exec();
    });
    column->addLayout(labelled(QStringLiteral("功放:"), amplifier, this));
    column->addStretch();
    return column;
}

QVBoxLayout* SettingsPage::buildOtherColumn() {
    auto* column = new QVBoxLayout();
    column->addWidget(heading(QStringLiteral("┄┄ 其它 ┄┄"), this));
    auto* deviceRow = new QHBoxLayout();
    deviceRow->addWidget(new QLabel(QStringLiteral("音频输出设备:"), this));
    deviceText_ = new QLineEdit(this);
    deviceText_->setObjectName(QStringLiteral("deviceText"));
    deviceText_->setReadOnly(true);
    deviceRow->addWidget(deviceText_, 1);
    auto* choose = new QPushButton(QStringLiteral("选取…"), this);
    connect(choose, &QPushButton::clicked, this, &SettingsPage::chooseDevice);
    deviceRow->addWidget(choose);
    column->addLayout(deviceRow);
    auto* zonesRow = new QHBoxLayout();
    zonesRow->addWidget(new QLabel(QStringLiteral("分区:"), this));
    zonesText_ = new QLineEdit(this);
    zonesText_->setObjectName(QStringLiteral("zonesText"));
    zonesText_->setReadOnly(true);
    zonesRow->addWidget(zonesText_, 1);
    auto* zones = new QPushButton(QStringLiteral("分区…"), this);
    zones->setObjectName(QStringLiteral("zonesButton"));
    zones->setEnabled(s_.zones != nullptr && s_.changeZones);
    connect(zones, &QPushButton::clicked, this, &SettingsPage::editZones);
    zonesRow->addWidget(zones);
    column->addLayout(zonesRow);
    column->addWidget(makeHintLink(QStringLiteral("多路分区的实现方法"), kZonesHint, this, s_.paths,
                                   QStringLiteral("devices")));
    column->addSpacing(static_cast<int>(16 * s_.paths.dpiScale));
    auto* duckRow = new QHBoxLayout();
    duckingText_ = new QLabel(this);
    duckingText_->setObjectName(QStringLiteral("duckingText"));
    duckRow->addWidget(duckingText_);
    auto* change = new QPushButton(QStringLiteral("修改…"), this);
    connect(change, &QPushButton::clicked, this, &SettingsPage::changeDucking);
    duckRow->addWidget(change);
    duckRow->addStretch();
    column->addLayout(duckRow);
    column->addSpacing(static_cast<int>(16 * s_.paths.dpiScale));
    auto* alarmRow = new QHBoxLayout();
    alarmRow->addWidget(new QLabel(QStringLiteral("紧急广播警报:"), this));
    alarmText_ = new QLineEdit(this);
    alarmText_->setObjectName(QStringLiteral("alarmText"));
    alarmText_->setReadOnly(true);
    alarmRow->addWidget(alarmText_, 1);
    auto* chooseAlarmFile = new QPushButton(QStringLiteral("选取…"), this);
    chooseAlarmFile->setObjectName(QStringLiteral("alarmChooseButton"));
    connect(chooseAlarmFile, &QPushButton::clicked, this, [this] {
        const QStringList files = chooseMusicFiles(this, s_.paths.musicFolder, false);
        if (!files.isEmpty()) {
            chooseAlarm(files.first());
        }
    });
    alarmRow->addWidget(chooseAlarmFile);
    auto* builtIn = new QPushButton(QStringLiteral("自带"), this);
    builtIn->setObjectName(QStringLiteral("alarmBuiltInButton"));
    connect(builtIn, &QPushButton::clicked, this, [this] { chooseAlarm(QString()); });
    alarmRow->addWidget(builtIn);
    const bool hasAlarm = s_.emergency != nullptr;
    for (QWidget* w : {static_cast<QWidget*>(alarmText_), static_cast<QWidget*>(chooseAlarmFile),
                       static_cast<QWidget*>(builtIn)}) {
        w->setEnabled(hasAlarm);
    }
    column->addLayout(alarmRow);
    column->addSpacing(static_cast<int>(16 * s_.paths.dpiScale));
    auto* backup = new QPushButton(QStringLiteral("节目备份与还原 / 作息表切换"), this);
    connect(backup, &QPushButton::clicked, this, &SettingsPage::openBackup);
    column->addWidget(backup, 0, Qt::AlignLeft);
    auto* windowsImport = new QPushButton(QStringLiteral("从 Windows 版导入…"), this);
    windowsImport->setObjectName(QStringLiteral("windowsImportButton"));
    windowsImport->setEnabled(s_.movingIn != nullptr);
    connect(windowsImport, &QPushButton::clicked, this, &SettingsPage::openWindowsImport);
    column->addWidget(windowsImport, 0, Qt::AlignLeft);
    column->addSpacing(static_cast<int>(16 * s_.paths.dpiScale));
    auto* tray = new QPushButton(QStringLiteral("最小化到托盘"), this);
    tray->setObjectName(QStringLiteral("trayButton"));
    connect(tray, &QPushButton::clicked, this, &SettingsPage::minimiseToTrayRequested);
    column->addWidget(tray, 0, Qt::AlignLeft);
    column->addStretch();
    return column;
}

void SettingsPage::refresh() {
    autoStart_->setChecked(options_.autoStart);
    minimised_->setEnabled(options_.autoStart);
    locked_->setEnabled(options_.autoStart);
    minimised_->setChecked(options_.minimised);
    locked_->setChecked(options_.locked);
    refreshSchedules();
    duckingText_->setText(
        QStringLiteral("立即播播出时, 定时播音量降低: %1%").arg(s_.settings.duckPercent));
    deviceText_->setText(deviceDisplayName(outputDeviceName(s_.settings)));
    if (s_.emergency != nullptr) {
        const QString& alarm = s_.emergency->alarmFile();
        alarmText_->setText(alarm.isEmpty() ? QStringLiteral("自带警报声") : alarm);
    }
    refreshZones();
}

void SettingsPage::refreshZones() {
    QStringList names;
    if (s_.zones != nullptr) {
        for (const Zone& zone : s_.zones->zones) {
            names.append(zone.name);
        }
    }
    zonesText_->setText(names.isEmpty() ? QStringLiteral("无 (都在总输出设备上播放)")
                                        : names.join(QStringLiteral("、")));
    zonesText_->setCursorPosition(0);
    if (zonesDialog_ != nullptr) {
        zonesDialog_->refill();
    }
}

void SettingsPage::loadData() {
    QString message;
    if (!loadSystemSettings(s_.paths.dataFolder, s_.settings, message)) {
        showMessage(MessageIcon::Error, message, this);
    }
    QString systemText;
    if (!entry_.read(options_, systemText)) {
        options_ = {};
        showMessage(MessageIcon::Error, kReadFailure.arg(systemText), this);
    }
    refresh();
}

void SettingsPage::autoStartClicked(bool checked) {
    options_.autoStart = checked;
    if (!checked) {
        options_.minimised = false;
        options_.locked = false;
        minimised_->setChecked(false);
        locked_->setChecked(false);
    }
    minimised_->setEnabled(checked);
    locked_->setEnabled(checked);
    writeAutoStart();
}

void SettingsPage::writeAutoStart() {
    QString systemText;
    // On failure the boxes keep what the user clicked; the entry keeps its old content.
    if (!entry_.write(options_, systemText)) {
        showMessage(MessageIcon::Error, kWriteFailure.arg(systemText), this);
    }
}

bool SettingsPage::save() {
    emit settingsChanged();
    QString message;
    if (!saveSystemSettings(s_.paths.dataFolder, s_.settings, message)) {
        showMessage(MessageIcon::Error, message, this);
        return false;
    }
    return true;
}
