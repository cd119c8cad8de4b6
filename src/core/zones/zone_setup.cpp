#include "core/zones/zone_setup.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "core/storage/folders.h"
#include "core/storage/whole_file.h"
#include "core/support/system_text.h"

namespace {

// Far more than 16 zones and 256 programmes' lists can take: anything bigger is not ours.
constexpr qint64 kMaxZoneFileBytes = 1 << 20;

QString folded(const QString& name) {
    return name.toCaseFolded();
}

QString fileProblem(const QString& path, const QString& what) {
    return QStringLiteral("分区设置有错误，已停用分区（所有节目在总输出设备上播放）：\n%1\n\n%2")
        .arg(path, what);
}

bool readNames(const QJsonValue& value, QStringList& names) {
    if (!value.isArray()) {
        return false;
    }
    for (const QJsonValue& item : value.toArray()) {
        if (!item.isString()) {
            return false;
        }
        names.append(item.toString());
    }
    return true;
}

}  // namespace

int ZoneSetup::findZone(const QString& name) const {
    for (size_t i = 0; i < zones.size(); ++i) {
        if (zones[i].name.compare(name, Qt::CaseInsensitive) == 0) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

QStringList ZoneSetup::zonesOf(const QString& programme) const {
    QStringList found;
    for (auto it = programmes.cbegin(); it != programmes.cend(); ++it) {
        if (it.key().compare(programme, Qt::CaseInsensitive) != 0) {
            continue;
        }
        for (const QString& zone : it.value()) {
            const int index = findZone(zone);
            if (index >= 0 && !found.contains(zones[static_cast<size_t>(index)].name)) {
                found.append(zones[static_cast<size_t>(index)].name);
            }
        }
    }
    return found;
}

void ZoneSetup::setZonesOf(const QString& programme, const QStringList& chosen) {
    for (auto it = programmes.begin(); it != programmes.end();) {
        it = it.key().compare(programme, Qt::CaseInsensitive) == 0 ? programmes.erase(it)
                                                                   : std::next(it);
    }
    if (!chosen.isEmpty()) {
        programmes.insert(programme, chosen);
    }
}

void ZoneSetup::renameProgramme(const QString& from, const QString& to) {
    const QStringList kept = zonesOf(from);
    setZonesOf(from, {});
    if (!to.isEmpty()) {
        setZonesOf(to, kept);
    }
}

QStringList programmeZones(const ZoneSetup* setup, const QString& programme) {
    const QStringList zones =
        setup == nullptr || setup->isEmpty() ? QStringList() : setup->zonesOf(programme);
    return zones.isEmpty() ? QStringList{QString()} : zones;
}

QStringList immediateZones(const ZoneSetup* setup) {
    QStringList zones;
    if (setup != nullptr) {
        for (const QString& name : setup->immediate) {
            const int index = setup->findZone(name);
            if (index >= 0 && !zones.contains(setup->zones[static_cast<size_t>(index)].name)) {
                zones.append(setup->zones[static_cast<size_t>(index)].name);
            }
        }
    }
    return zones.isEmpty() ? QStringList{QString()} : zones;
}

QString zoneDevice(const ZoneSetup* setup, const QString& zone, const QString& programWideDevice) {
    const int index = zone.isEmpty() || setup == nullptr ? -1 : setup->findZone(zone);
    return index >= 0 ? setup->zones[static_cast<size_t>(index)].device : programWideDevice;
}

QString zoneLabel(const QString& zone) {
    return zone.isEmpty() ? QStringLiteral("总输出") : zone;
}

QStringList everyZone(const ZoneSetup* setup) {
    QStringList zones{QString()};
    if (setup != nullptr) {
        for (const Zone& zone : setup->zones) {
            zones.append(zone.name);
        }
    }
    return zones;
}

QStringList zoneDevices(const ZoneSetup* setup, const QStringList& zones,
                        const QString& programWideDevice) {
    QStringList devices;
    for (const QString& zone : zones) {
        const QString device = zoneDevice(setup, zone, programWideDevice);
        if (!devices.contains(device, Qt::CaseInsensitive)) {
            devices.append(device);
        }
    }
    return devices;
}

QString zoneSetupProblem(const ZoneSetup& setup) {
    if (setup.zones.size() > static_cast<size_t>(kMaxZones)) {
        return QStringLiteral("最多 %1 个分区").arg(kMaxZones);
    }
    QStringList seen;
    for (const Zone& zone : setup.zones) {
        const QString name = zone.name.trimmed();
        if (name.isEmpty()) {
            return QStringLiteral("分区名称不能为空");
        }
        if (zone.name.size() > kMaxZoneNameLength) {
            return QStringLiteral("分区名称太长（最多 %1 个字）：%2")
                .arg(kMaxZoneNameLength)
                .arg(zone.name);
        }
        if (seen.contains(folded(zone.name))) {
            return QStringLiteral("分区名称重复：%1").arg(zone.name);
        }
        seen.append(folded(zone.name));
        if (zone.device.trimmed().isEmpty()) {
            return QStringLiteral("分区没有输出设备：%1").arg(zone.name);
        }
    }
    for (auto it = setup.programmes.cbegin(); it != setup.programmes.cend(); ++it) {
        for (const QString& zone : it.value()) {
            if (setup.findZone(zone) < 0) {
                return QStringLiteral("节目 %1 的分区不存在：%2").arg(it.key(), zone);
            }
        }
    }
    for (const QString& zone : setup.immediate) {
        if (setup.findZone(zone) < 0) {
            return QStringLiteral("立即播的分区不存在：%1").arg(zone);
        }
    }
    return QString();
}

bool parseZoneSetup(const QByteArray& json, ZoneSetup& setup, QString& message) {
    setup = ZoneSetup{};
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject()) {
        message = QStringLiteral("不是分区设置的格式（JSON）：%1").arg(error.errorString());
        return false;
    }
    const QJsonObject root = document.object();
    ZoneSetup read;
    const QJsonValue zones = root.value(QStringLiteral("zones"));
    if (!zones.isUndefined() && !zones.isArray()) {
        message = QStringLiteral("\"zones\" 应是分区的列表");
        return false;
    }
    for (const QJsonValue& item : zones.toArray()) {
        const QJsonObject zone = item.toObject();
        if (!item.isObject() || !zone.value(QStringLiteral("name")).isString() ||
            !zone.value(QStringLiteral("device")).isString()) {
            message = QStringLiteral("每个分区要有名称 \"name\" 和输出设备 \"device\"");
            return false;
        }
        read.zones.push_back({zone.value(QStringLiteral("name")).toString(),
                              zone.value(QStringLiteral("device")).toString()});
    }
    const QJsonValue programmes = root.value(QStringLiteral("programmes"));
    if (!programmes.isUndefined() && !programmes.isObject()) {
        message = QStringLiteral("\"programmes\" 应是节目名称到分区列表的对应");
        return false;
    }
    const QJsonObject byProgramme = programmes.toObject();
    for (auto it = byProgramme.begin(); it != byProgramme.end(); ++it) {
        QStringList names;
        if (!readNames(it.value(), names)) {
            message = QStringLiteral("节目 %1 的分区应是分区名称的列表").arg(it.key());
            return false;
        }
        read.programmes.insert(it.key(), names);
    }
    const QJsonValue immediate = root.value(QStringLiteral("immediate"));
    if (!immediate.isUndefined() && !readNames(immediate, read.immediate)) {
        message = QStringLiteral("\"immediate\" 应是分区名称的列表");
        return false;
    }
    message = zoneSetupProblem(read);
    if (!message.isEmpty()) {
        return false;
    }
    setup = std::move(read);
    return true;
}

QByteArray encodeZoneSetup(const ZoneSetup& setup) {
    QJsonArray zones;
    for (const Zone& zone : setup.zones) {
        zones.append(QJsonObject{{QStringLiteral("name"), zone.name},
                                 {QStringLiteral("device"), zone.device}});
    }
    QJsonObject programmes;
    for (auto it = setup.programmes.cbegin(); it != setup.programmes.cend(); ++it) {
        programmes.insert(it.key(), QJsonArray::fromStringList(it.value()));
    }
    const QJsonObject root{
        {QStringLiteral("zones"), zones},
        {QStringLiteral("programmes"), programmes},
        {QStringLiteral("immediate"), QJsonArray::fromStringList(setup.immediate)}};
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

bool loadZoneSetup(const QString& dataFolder, ZoneSetup& setup, QString& message) {
    setup = ZoneSetup{};
    const QString path = dataFolder + u'/' + kZoneFileName;
    QByteArray content;
    QString unreadable;
    switch (readOptionalFile(path, kMaxZoneFileBytes, content, unreadable)) {
        case OptionalFile::Absent:
            return true;
        case OptionalFile::Unreadable:
            message = fileProblem(path, unreadable);
            return false;
        case OptionalFile::Read:
            break;
    }
    QString problem;
    if (!parseZoneSetup(content, setup, problem)) {
        replaceWholeFile(path + QStringLiteral(".damaged"), content);
        message = fileProblem(path, problem);
        return false;
    }
    return true;
}

bool saveZoneSetup(const QString& dataFolder, const ZoneSetup& setup, QString& message) {
    const QString problem = zoneSetupProblem(setup);
    if (!problem.isEmpty()) {
        message = problem;
        return false;
    }
    ensureDataFolder(dataFolder);
    const QString path = dataFolder + u'/' + kZoneFileName;
    const int error = replaceWholeFile(path, encodeZoneSetup(setup));
    if (error != 0) {
        message = QStringLiteral("写文件失败：\n%1\n\n%2").arg(path, runtimeErrorText(error));
        return false;
    }
    return true;
}
