#pragma once

#include <QString>

// The alarm of the emergency broadcast (紧急广播) as the settings tab chose it, in a small
// JSON file beside the data files: {"alarm": "<path>"}. Without it, the built-in alarm.
inline const QString kEmergencyFileName = QStringLiteral("紧急广播设置.json");
// The built-in alarm in the music folder: loud, made with the bells.
inline const QString kBuiltInAlarmName = QStringLiteral("警报/紧急警报.ogg");

struct EmergencySetup {
    QString alarmFile;  // empty: the built-in alarm
};

// An absent file is the built-in alarm. A file that is not one is kept as "<name>.damaged";
// false with the message, and the built-in alarm.
bool loadEmergencySetup(const QString& dataFolder, EmergencySetup& setup, QString& message);
bool saveEmergencySetup(const QString& dataFolder, const EmergencySetup& setup, QString& message);
