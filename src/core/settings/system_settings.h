#pragma once

#include <QString>

#include "core/support/date_time.h"

inline const QString kDefaultDeviceName = QStringLiteral("Default DirectSound Device");

// The program-wide settings, in file order.
struct SystemSettings {
    qint32 dailyShutdownEnabled;
    ClockTime dailyShutdownTime;
    qint32 weeklyShutdownEnabled;
    qint32 weeklyShutdownDays[7];  // Monday first
    ClockTime weeklyShutdownTime;
    qint32 restartEnabled;
    qint32 restartDays[7];
    ClockTime restartTime;
    qint32 duckPercent;         // 25-100: how far timed play is lowered during immediate play
    qint32 duckFadeOutSeconds;  // 1-10
    qint32 duckFadeInSeconds;   // 2-16
    char16_t outputDevice[256];
};
static_assert(sizeof(SystemSettings) == 628);

// The values before any settings file exists.
SystemSettings firstRunSettings();
// The values after a settings file could not be read: the times become 01:00:00.
void resetSystemSettings(SystemSettings& settings);

QString outputDeviceName(const SystemSettings& settings);
void setOutputDeviceName(SystemSettings& settings, const QString& name);
