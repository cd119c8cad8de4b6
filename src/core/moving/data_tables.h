#pragma once

#include <QString>
#include <QStringList>
#include <optional>

#include "core/holidays/holiday_calendar.h"
#include "core/immediate/playlist.h"
#include "core/settings/system_settings.h"
#include "core/timed/programme_table.h"

// The four tables of a data folder, in the order start-up loads them.
struct DataTables {
    ProgrammeTable programmes;
    ImmediateSettings immediate;
    HolidayCalendar calendar;
    SystemSettings settings = firstRunSettings();
};

// The tables an import brings: those whose file the source held.
struct ImportedTables {
    std::optional<ProgrammeTable> programmes;
    std::optional<ImmediateSettings> immediate;
    std::optional<HolidayCalendar> calendar;
    std::optional<SystemSettings> settings;

    bool isEmpty() const { return !programmes && !immediate && !calendar && !settings; }
};

// The tables of the data folder as start-up reads them; each file that fails leaves its
// start-up state and adds its message to `problems`.
void loadDataTables(const QString& dataFolder, const QString& musicFolder, DataTables& tables,
                    QStringList& problems);

// "导入前备份-YYYYMMDD-HHMMSS.zip" in the data folder; a later free name ("-2", "-3", ...)
// when two imports fall in one second, so no backup is ever overwritten.
QString importBackupPath(const QString& dataFolder, const LocalDateTime& now);

// Saves the current tables as a backup (the timetable backup, with the playlist and the
// settings beside it), then writes each imported table through its checked writer. When a
// write fails, the files already written get the current tables back. False with the
// message; `backupPath` names the backup once it is written.
bool replaceDataTables(const QString& dataFolder, const DataTables& current,
                       const ImportedTables& imported, const LocalDateTime& now,
                       QString& backupPath, QString& message);
