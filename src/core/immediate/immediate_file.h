#pragma once

#include <QByteArray>
#include <QString>

#include "core/immediate/playlist.h"

inline const QString kImmediateFileName = QStringLiteral("立即播设置t");
inline const QString kDefaultTrackName = QStringLiteral("追梦人.mp3");
constexpr qint32 kDefaultTrackMs = 225645;

// Replaces the settings with the file's. An absent file gives the defaults and the one track
// that ships with the program; a file that fails gives the defaults with an empty list.
bool loadImmediateSettings(const QString& dataFolder, const QString& musicFolder,
                           ImmediateSettings& settings, QString& message);
bool saveImmediateSettings(const QString& dataFolder, const ImmediateSettings& settings,
                           QString& message);

QByteArray encodePlaylistEntry(const PlaylistEntry& entry);
