#include "core/moving/data_tables.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <cerrno>
#include <functional>

#include "core/holidays/holiday_file.h"
#include "core/immediate/immediate_file.h"
#include "core/settings/settings_file.h"
#include "core/storage/data_file.h"
#include "core/storage/folders.h"
#include "core/storage/whole_file.h"
#include "core/timed/programme_file.h"
#include "core/timed/timetable_backup.h"

namespace {

// The playlist and settings files as their writers write them, for the backup.
bool stageOtherFiles(const DataTables& current, std::vector<ArchiveFile>& files, QString& message) {
    QTemporaryDir staging;
    if (!staging.isValid()) {
        message = writeFailureMessage(staging.path(), EIO);
        return false;
    }
    if (!saveImmediateSettings(staging.path(), current.immediate, message) ||
        !saveSystemSettings(staging.path(), current.settings, message)) {
        return false;
    }
    for (const QString& name : {kImmediateFileName, kSettingsFileName}) {
        ArchiveFile file{name, QByteArray()};
        const QString path = joinPath(staging.path(), name);
        const int error = readWholeFile(path, 1024 * 1024, file.content);
        if (error != 0) {
            message = readFailureMessage(path, error);
            return false;
        }
        files.push_back(std::move(file));
    }
    return true;
}

// One table written through its writer, or the current one written back.
struct TableWrite {
    bool wanted;
    std::function<bool(QString&)> write;
    std::function<void()> restore;
};

}  // namespace

void loadDataTables(const QString& dataFolder, const QString& musicFolder, DataTables& tables,
                    QStringList& problems) {
    QString message;
    if (!loadProgrammes(dataFolder, tables.programmes, message)) {
        problems.append(message);
    }
    if (!loadImmediateSettings(dataFolder, musicFolder, tables.immediate, message)) {
        problems.append(message);
    }
    if (!loadHolidayCalendar(dataFolder, tables.calendar, message)) {
        problems.append(message);
    }
    if (!loadSystemSettings(dataFolder, tables.settings, message)) {
        problems.append(message);
    }
}

QString importBackupPath(const QString& dataFolder, const LocalDateTime& now) {
    const QString stem = QString::asprintf("导入前备份-%04d%02d%02d-%02d%02d%02d", now.year,
                                           now.month, now.day, now.hour, now.minute, now.second);
    QString path = joinPath(dataFolder, stem + QStringLiteral(".zip"));
    for (int n = 2; QFileInfo::exists(path); ++n) {
        path = joinPath(dataFolder, stem + QStringLiteral("-%1.zip").arg(n));
    }
    return path;
}

bool replaceDataTables(const QString& dataFolder, const DataTables& current,
                       const ImportedTables& imported, const LocalDateTime& now,
                       QString& backupPath, QString& message) {
    // Not checked here: writing the backup fails with its own message.
    ensureDataFolder(dataFolder);
    std::vector<ArchiveFile> others;
    const QString archive = importBackupPath(dataFolder, now);
    if (!stageOtherFiles(current, others, message) ||
        !writeTimetableBackup(archive, current.programmes, current.calendar, message, others)) {
        return false;
    }
    backupPath = archive;
    QString ignored;
    const std::vector<TableWrite> writes = {
        {imported.programmes.has_value(),
         [&](QString& m) { return saveProgrammes(dataFolder, *imported.programmes, false, m); },
         [&] { saveProgrammes(dataFolder, current.programmes, false, ignored); }},
        {imported.immediate.has_value(),
         [&](QString& m) { return saveImmediateSettings(dataFolder, *imported.immediate, m); },
         [&] { saveImmediateSettings(dataFolder, current.immediate, ignored); }},
        {imported.calendar.has_value(),
         [&](QString& m) { return saveHolidayCalendar(dataFolder, *imported.calendar, false, m); },
         [&] { saveHolidayCalendar(dataFolder, current.calendar, false, ignored); }},
        {imported.settings.has_value(),
         [&](QString& m) { return saveSystemSettings(dataFolder, *imported.settings, m); },
         [&] { saveSystemSettings(dataFolder, current.settings, ignored); }},
    };
    for (size_t i = 0; i < writes.size(); ++i) {
        if (!writes[i].wanted || writes[i].write(message)) {
            continue;
        }
        // Never half an import: what was already written goes back to what it was.
        for (size_t k = 0; k < i; ++k) {
            if (writes[k].wanted) {
                writes[k].restore();
            }
        }
        return false;
    }
    return true;
}
