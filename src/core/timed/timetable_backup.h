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
// written. A damaged or foreign archive, or one with far more entries than a backup has, is
// refused with the data-file read message.
bool readTimetableBackup(const QString& archivePath, Timetable& timetable, QString& message);

// Writes both files whole under temporary names, then puts them in place, so that a failure
// at any point leaves the old pair or the new one, never two different timetables. Should the
// second rename fail, the old programme file goes back (rewritten from `previousProgrammes`
// only where it could not be kept). False with the writer's message.
bool writeTimetableFiles(const QString& dataFolder, const Timetable& timetable,
                         const ProgrammeTable& previousProgrammes, QString& message);
