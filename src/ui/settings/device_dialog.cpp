#include "ui/settings/device_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QVBoxLayout>

#include "audio/output_devices.h"
#include "audio/test_chime.h"
#include "core/support/messages.h"
#include "ui/settings/chime_trial.h"
#include "ui/widgets/dialog_buttons.h"

namespace {

// How often the list looks for outputs plugged in or removed while the dialog is open.
constexpr int kWatchMs = 500;

int findName(const QComboBox* list, const QString& name) {
    for (int i = 0; i < list->count(); ++i) {
        if (list->itemText(i).compare(name, Qt::CaseInsensitive) == 0) {
            return i;
        }
    }
    return -1;
}

}  // namespace

DeviceDialog::DeviceDialog(SystemSettings& settings, OutputDevices& devices, QWidget* parent)
    : QDialog(parent), settings_(settings), devices_(devices) {
    setWindowTitle(QStringLiteral("音频输出设备"));
    auto* layout = new QVBoxLayout(this);
    defaultButton_ = new QRadioButton(kDefaultDeviceDisplay, this);
    namedButton_ = new QRadioButton(QStringLiteral("下面的音频输出设备:"), this);
    list_ = new QComboBox(this);
    list_->setObjectName(QStringLiteral("deviceList"));
    list_->setMinimumWidth(320);
    list_->addItems(devices_.names());
    auto* test = new QPushButton(QStringLiteral("试听"), this);
    test->setObjectName(QStringLiteral("chimeButton"));
    test->setToolTip(QStringLiteral("在选中的设备上播放一小段提示音"));
    layout->addWidget(defaultButton_);
    layout->addWidget(namedButton_);
    layout->addWidget(list_);
    layout->addWidget(test, 0, Qt::AlignLeft);
    layout->addWidget(okCancelButtons(this));

    const QString current = outputDeviceName(settings_);
    if (isDefaultDeviceName(current)) {
        defaultButton_->setChecked(true);
        list_->setCurrentIndex(list_->count() > 0 ? 0 : -1);
    } else {
        namedButton_->setChecked(true);
        list_->setCurrentIndex(findName(list_, current));
    }
    updateEnabled();
    connect(namedButton_, &QRadioButton::toggled, this, &DeviceDialog::updateEnabled);

    chime_ = new TestChime(devices_, this);
    connect(test, &QPushButton::clicked, this, &DeviceDialog::playChime);
    connect(chime_, &TestChime::failed, this, [this](const QString& text) {
        showMessage(MessageIcon::Warning, QStringLiteral("试听失败：\n%1").arg(text), this);
    });
    watch_ = new QTimer(this);
    connect(watch_, &QTimer::timeout, this, &DeviceDialog::refreshList);
    watch_->start(kWatchMs);
}

DeviceDialog::~DeviceDialog() = default;

void DeviceDialog::updateEnabled() {
    list_->setEnabled(namedButton_->isChecked());
}

void DeviceDialog::refreshList() {
    const QStringList names = devices_.names();
    QStringList shown;
    for (int i = 0; i < list_->count(); ++i) {
        shown.append(list_->itemText(i));
    }
    if (names == shown) {
        return;
    }
    const QString selected = list_->currentText();
    const bool hadSelection = list_->currentIndex() >= 0;
    list_->clear();
    list_->addItems(names);
    list_->setCurrentIndex(hadSelection ? findName(list_, selected) : -1);
}

QString DeviceDialog::chosenName() const {
    return defaultButton_->isChecked() ? kDefaultDeviceName : list_->currentText();
}

void DeviceDialog::playChime() {
    const QString name = chosenName();
    if (name.isEmpty()) {
        showMessage(MessageIcon::Warning, QStringLiteral("请选取音频设备     \n"), this);
        return;
    }
    playChimeOn(*chime_, name, this);
}

void DeviceDialog::accept() {
    const QString name = chosenName();
    if (name.isEmpty()) {
        showMessage(MessageIcon::Warning, QStringLiteral("请选取音频设备     \n"), this);
        return;
    }
    if (name.compare(outputDeviceName(settings_), Qt::CaseInsensitive) != 0) {
        setOutputDeviceName(settings_, name);
        showMessage(MessageIcon::Information, QStringLiteral("切换设备：\n下次播放音乐时生效 !"),
                    this);
    }
    chime_->stop();
    QDialog::accept();
}
