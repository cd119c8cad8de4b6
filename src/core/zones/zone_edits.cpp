#include "core/zones/zone_edits.h"

#include <algorithm>

namespace {

// The list with every mention of `from` (ignoring case) changed to `to`, or dropped when `to`
// is empty; no name twice.
QStringList replacedZoneName(const QStringList& names, const QString& from, const QString& to) {
    QStringList result;
    for (const QString& name : names) {
        const QString kept = name.compare(from, Qt::CaseInsensitive) == 0 ? to : name;
        if (!kept.isEmpty() && !result.contains(kept, Qt::CaseInsensitive)) {
            result.append(kept);
        }
    }
    return result;
}

void replaceZoneEverywhere(ZoneSetup& setup, const QString& from, const QString& to) {
    for (auto it = setup.programmes.begin(); it != setup.programmes.end();) {
        it.value() = replacedZoneName(it.value(), from, to);
        it = it.value().isEmpty() ? setup.programmes.erase(it) : std::next(it);
    }
    setup.immediate = replacedZoneName(setup.immediate, from, to);
}

}  // namespace

void renameZone(ZoneSetup& setup, const QString& from, const QString& to) {
    const int index = setup.findZone(from);
    if (index < 0 || to.isEmpty()) {
        return;
    }
    setup.zones[static_cast<size_t>(index)].name = to;
    replaceZoneEverywhere(setup, from, to);
}

void removeZone(ZoneSetup& setup, const QString& name) {
    const int index = setup.findZone(name);
    if (index < 0) {
        return;
    }
    setup.zones.erase(setup.zones.begin() + index);
    replaceZoneEverywhere(setup, name, QString());
}

QStringList programmesOnZone(const ZoneSetup& setup, const QString& zone) {
    QStringList names;
    for (auto it = setup.programmes.cbegin(); it != setup.programmes.cend(); ++it) {
        if (it.value().contains(zone, Qt::CaseInsensitive)) {
            names.append(it.key());
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}
