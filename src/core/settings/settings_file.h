#pragma once

#include <QString>

#include "core/settings/system_settings.h"

inline const QString kSettingsFileName = QStringLiteral("系统设置t");

bool saveSystemSettings(const QString& dataFolder, const SystemSettings& settings,
                        QString& message);
// An absent file keeps the record as it is; a file that fails puts the after-error values in.
bool loadSystemSettings(const QString& dataFolder, SystemSettings& settings, QString& message);
