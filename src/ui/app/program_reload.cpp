#include <QStringList>

#include "core/holidays/holiday_file.h"
#include "core/immediate/immediate_file.h"
#include "core/settings/settings_file.h"
#include "core/storage/data_folder_watch.h"
#include "core/timed/programme_file.h"
#include "ui/app/program.h"

// Data files replaced by another program (a district's rsync, a school's Ansible, the import
// from the Windows program) are read again as at start-up; a file that fails its checks is
// shown and leaves the tables in memory as they are, so the bells go on.

QStringList Program::dataFileNames() {
    return {kProgrammeFileName, kImmediateFileName, kHolidayFileName, kSettingsFileName,
            kZoneFileName};
}

void Program::reloadDataFiles() {
    for (const QString& name : dataFileNames()) {
        reloadDataFile(name);
    }
}

void Program::reloadDataFile(const QString& name) {
    // A file that is not there holds no table: what is in memory stays.
    if (!identityOf(paths_.dataFile(name)).exists()) {
        return;
    }
    QString message;
    bool ok = true;
    QObject* owner = nullptr;
    if (name == kProgrammeFileName) {
        ok = timetableSwitch_.reloadProgrammes(message);
    } else if (name == kHolidayFileName) {
        ok = timetableSwitch_.reloadHolidays(message);
    } else if (name == kSettingsFileName) {
        ok = reloadSettings(message);
    } else if (name == kZoneFileName) {
        ok = reloadZones(message);
    } else if (name == kImmediateFileName) {
        // Never under a playing announcement: the new playlist waits for its end.
        if (immediate_.isActive()) {
            playlistReloadPending_ = true;
            return;
        }
        ok = reloadPlaylist(message);
        owner = immediatePage_;
    }
    if (!ok) {
        showMessage(MessageIcon::Error, message, owner);
    }
}

bool Program::reloadSettings(QString& message) {
    SystemSettings loaded = settings_;
    if (!loadSystemSettings(paths_.dataFolder, loaded, message)) {
        return false;
    }
    settings_ = loaded;
    showReplacedSettings();
    return true;
}

bool Program::reloadPlaylist(QString& message) {
    playlistReloadPending_ = false;
    ImmediateSettings loaded;
    if (!loadImmediateSettings(paths_.dataFolder, paths_.musicFolder, loaded, message)) {
        return false;
    }
    settleCurrentEntry(loaded.playlist);
    immediateStore_.settings() = std::move(loaded);
    showReplacedPlaylist();
    return true;
}

bool Program::reloadZones(QString& message) {
    ZoneSetup loaded;
    const bool ok = loadZoneSetup(paths_.dataFolder, loaded, message);
    // A replacement that fails its checks counts as absent, as at start-up and as its message
    // says: every programme on the program-wide output.
    zones_ = ok ? std::move(loaded) : ZoneSetup{};
    emit zonesChanged();
    return ok;
}

bool Program::changeZones(const ZoneSetup& zones, QString& message) {
    if (!saveZoneSetup(paths_.dataFolder, zones, message)) {
        return false;
    }
    zones_ = zones;
    emit zonesChanged();
    return true;
}
