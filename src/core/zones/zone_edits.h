#pragma once

#include <QString>
#include <QStringList>
#include <functional>

#include "core/zones/zone_setup.h"

// Puts a new zone setup in place (saved first); false with the message, nothing changed. The
// pages get it from the program, which owns the zones.
using ZoneChange = std::function<bool(const ZoneSetup&, QString&)>;

// A zone renamed: the programmes and immediate play that name it follow.
void renameZone(ZoneSetup& setup, const QString& from, const QString& to);
// A zone removed: the programmes and immediate play that named it no longer do, and a
// programme left without a zone plays on the program-wide output again.
void removeZone(ZoneSetup& setup, const QString& name);
// The programmes that play on the zone, in name order.
QStringList programmesOnZone(const ZoneSetup& setup, const QString& zone);
