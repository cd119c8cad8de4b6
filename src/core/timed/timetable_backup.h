#pragma once

#include <QDate>
#include <QString>

#include "core/holidays/holiday_calendar.h"
#include "core/storage/zip_archive.h"
#include "core/timed/programme_table.h"

// The timetable: the programmes of timed play and the holiday calendar.
struct Timetable {
    ProgrammeTable programmes;
    HolidayCalendar calendar;
};

// "节目备份_YYYY-MM-DD.zip".
QString suggestedBackupName(const QDate& date);

// A backup is one ZIP archive holding "定时播设置t" and "节假日和调休t" in their data-file
// formats, as the writers write them, so any archive manager can open it. The archive is
// written beside its final name and renamed into place. False with a data-file message.
// `moreFiles` go into the archive after them (a restore reads only the timetable).
bool writeTimetableBackup(const QString& archivePath, const ProgrammeTable& programmes,
                          const HolidayCalendar& calendar, QString& message,
                          const std::vector<ArchiveFile>& moreFiles = {});

// Reads both files of a backup and checks them with the data-file readers; nothing is
// written. A damaged or foreign archive is refused with the data-file read message.
bool readTimetableBackup(const QString& archivePath, Timetable& timetable, QString& message);

// Writes both files through their writers. When the second write fails the first file is
// written back from `previousProgrammes`, so that a failure the program sees never leaves the
// files holding two different timetables. False with the writer's message.
bool writeTimetableFiles(const QString& dataFolder, const Timetable& timetable,
                         const ProgrammeTable& previousProgrammes, QString& message);
