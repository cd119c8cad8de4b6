#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <vector>

// Zones (分区): loudspeaker lines of their own, each on an output device, so that the wake-up
// bell sounds in the dormitory while the class bell sounds in the teaching building. They live
// in a JSON file beside the data files; without it (or with no zone in it) the program has one
// output, the program-wide one, as always.
inline const QString kZoneFileName = QStringLiteral("分区设置.json");
constexpr int kMaxZones = 16;
constexpr int kMaxZoneNameLength = 63;

struct Zone {
    QString name;
    QString device;  // an output device's name as the device dialog lists it
};

class ZoneSetup {
  public:
    std::vector<Zone> zones;
    // Programme name -> the names of its zones; a programme not listed plays on the
    // program-wide output.
    QHash<QString, QStringList> programmes;
    // The zones of immediate play; empty: the program-wide output.
    QStringList immediate;

    bool isEmpty() const { return zones.empty(); }
    // Index of the zone of that name, ignoring case, or -1.
    int findZone(const QString& name) const;
    // The zones of a programme, by name ignoring case, as the zone list spells them; empty for
    // the program-wide output.
    QStringList zonesOf(const QString& programme) const;
    void setZonesOf(const QString& programme, const QStringList& zones);
    // Keeps a programme's zones when it is renamed or dropped.
    void renameProgramme(const QString& from, const QString& to);
};

// Where a programme sounds: its zones, or {""} for the program-wide output (always so without
// zones). Immediate play likewise. A zone's device; "" and a zone that is gone give the
// program-wide output's device.
QStringList programmeZones(const ZoneSetup* setup, const QString& programme);
QStringList immediateZones(const ZoneSetup* setup);
QString zoneDevice(const ZoneSetup* setup, const QString& zone, const QString& programWideDevice);
// A zone's name as lists and the play log show it; "总输出" for the program-wide output.
QString zoneLabel(const QString& zone);
// Every zone: the program-wide output ("") first, then each zone of the list.
QStringList everyZone(const ZoneSetup* setup);
// The devices of the zones, each device once (names compared ignoring case).
QStringList zoneDevices(const ZoneSetup* setup, const QStringList& zones,
                        const QString& programWideDevice);

// The checks every zone list must pass: at most 16 zones, names of 1 to 63 characters,
// unique ignoring case, each with a device; programmes and immediate play name only zones of
// the list. Empty when it passes, else what is wrong.
QString zoneSetupProblem(const ZoneSetup& setup);

bool parseZoneSetup(const QByteArray& json, ZoneSetup& setup, QString& message);
QByteArray encodeZoneSetup(const ZoneSetup& setup);

// An absent file is an empty setup. A file that does not parse or fails the checks is kept as
// "<name>.damaged" and treated as absent: false with the message, and the setup empty.
bool loadZoneSetup(const QString& dataFolder, ZoneSetup& setup, QString& message);
bool saveZoneSetup(const QString& dataFolder, const ZoneSetup& setup, QString& message);
