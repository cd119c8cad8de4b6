#include "core/moving/moving_in.h"

#include "core/moving/windows_source.h"

namespace {

// As long as a programme that pre-empts another fades it.
constexpr int kImportStopFadeMs = 600;

}  // namespace

bool readWindowsImport(const QString& source, const QList<PathMapping>& mappings,
                       WindowsImport& import, QString& message) {
    import = WindowsImport();
    if (!readWindowsSource(source, import.tables, message)) {
        return false;
    }
    import.paths = mapImportedPaths(import.tables, mappings);
    return true;
}

QString windowsImportSummary(const WindowsImport& import) {
    return QStringLiteral("导入完成: ") + windowsImportCounts(import);
}

QString windowsImportCounts(const WindowsImport& import) {
    const ImportedTables& t = import.tables;
    return QStringLiteral(
               "节目 %1 个, 节假日 %2 个, 调休 %3 个, 立即播曲目 %4 首; 路径 %5 个, 找到 %6 个, "
               "未找到 %7 个")
        .arg(t.programmes ? t.programmes->size() : 0)
        .arg(t.calendar ? static_cast<int>(t.calendar->holidays.size()) : 0)
        .arg(t.calendar ? static_cast<int>(t.calendar->adjustedDays.size()) : 0)
        .arg(t.immediate ? static_cast<int>(t.immediate->playlist.size()) : 0)
        .arg(import.paths.total)
        .arg(import.paths.found)
        .arg(import.paths.missing.size());
}

MovingIn::MovingIn(const Tables& tables, QObject* parent) : QObject(parent), t_(tables) {}

QString MovingIn::stopReason() {
    return QStringLiteral("导入 Windows 版数据: 节目单已更换");
}

bool MovingIn::apply(const ImportedTables& imported, QString& backupPath, QString& message) {
    // The tables as they are in memory, so the backup also keeps a change whose save failed.
    DataTables current;
    current.programmes = t_.programmes;
    current.immediate = t_.immediate.settings();
    current.calendar = t_.calendar;
    current.settings = t_.settings;
    const LocalDateTime now = wholeSecond(t_.clock.now());
    if (!replaceDataTables(t_.dataFolder, current, imported, now, backupPath, message)) {
        return false;
    }
    if (imported.programmes) {
        t_.runs.stopAllRuns(stopReason(), kImportStopFadeMs, now);
        // The items, not the table: the table's revision goes on from the old one, so the
        // dispatcher sees the change.
        t_.programmes.items() = imported.programmes->items();
        // What was due before the import has had its turn: the new programmes play from their
        // next start, so nothing rings twice.
        for (Programme& p : t_.programmes.items()) {
            p.lastStartTime = now;
        }
    }
    if (imported.calendar) {
        t_.calendar = *imported.calendar;
    }
    if (imported.programmes || imported.calendar) {
        emit timetableReplaced();
    }
    if (imported.immediate) {
        // The player's track is a row of the old list.
        if (t_.player.isActive()) {
            t_.player.stopImmediatePlay(true);
        }
        t_.immediate.settings() = *imported.immediate;
        settleCurrentEntry(t_.immediate.settings().playlist);
        emit playlistReplaced();
    }
    if (imported.settings) {
        t_.settings = *imported.settings;
        emit settingsReplaced();
    }
    return true;
}
