#include "audio/output_devices.h"
#include "core/emergency/alarm_setup.h"
#include "core/emergency/emergency_alarm.h"
#include "core/support/messages.h"
#include "ui/settings/device_dialog.h"
#include "ui/settings/ducking_dialog.h"
#include "ui/settings/settings_page.h"
#include "ui/settings/windows_import_dialog.h"
#include "ui/settings/zones_dialog.h"

void SettingsPage::chooseDevice() {
    DeviceDialog dialog(s_.settings, OutputDevices::instance(), this);
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    // Saved even when the name did not change.
    refresh();
    save();
}

void SettingsPage::changeDucking() {
    DuckingDialog dialog(s_.settings, this);
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    SystemSettings& s = s_.settings;
    if (dialog.duckPercent() == s.duckPercent && dialog.fadeOutSeconds() == s.duckFadeOutSeconds &&
        dialog.fadeInSeconds() == s.duckFadeInSeconds) {
        return;
    }
    s.duckPercent = dialog.duckPercent();
    s.duckFadeOutSeconds = dialog.fadeOutSeconds();
    s.duckFadeInSeconds = dialog.fadeInSeconds();
    refresh();
    save();
}

void SettingsPage::openWindowsImport() {
    if (s_.movingIn == nullptr) {
        return;
    }
    WindowsImportDialog dialog(*s_.movingIn, this);
    dialog.exec();
}

void SettingsPage::editZones() {
    if (s_.zones == nullptr || !s_.changeZones) {
        return;
    }
    ZonesDialog dialog(*s_.zones, s_.changeZones, OutputDevices::instance(), this);
    zonesDialog_ = &dialog;
    dialog.exec();
}

ZonesDialog* SettingsPage::zonesDialog() const {
    return zonesDialog_;
}

void SettingsPage::chooseAlarm(const QString& path) {
    if (s_.emergency == nullptr) {
        return;
    }
    QString message;
    if (!saveEmergencySetup(s_.paths.dataFolder, EmergencySetup{path}, message)) {
        showMessage(MessageIcon::Error, message, this);
        return;
    }
    s_.emergency->setAlarmFile(path);
    refresh();
}
