#include "core/settings/system_settings.h"

#include "core/support/text.h"

SystemSettings firstRunSettings() {
    SystemSettings s{};
    s.weeklyShutdownDays[5] = 1;
    s.weeklyShutdownDays[6] = 1;
    s.duckPercent = 60;
    s.duckFadeOutSeconds = 5;
    s.duckFadeInSeconds = 9;
    setFieldText(s.outputDevice, kDefaultDeviceName);
    return s;
}

void resetSystemSettings(SystemSettings& settings) {
    settings = firstRunSettings();
    settings.dailyShutdownTime = ClockTime{1, 0, 0};
    settings.weeklyShutdownTime = ClockTime{1, 0, 0};
    settings.restartTime = ClockTime{1, 0, 0};
}

QString outputDeviceName(const SystemSettings& settings) {
    return fieldText(settings.outputDevice);
}

void setOutputDeviceName(SystemSettings& settings, const QString& name) {
    setFieldText(settings.outputDevice, name);
}
