#pragma once

#include <QObject>

#include "core/holidays/holiday_calendar.h"
#include "core/support/clock.h"
#include "core/timed/programme_table.h"
#include "core/timed/run_engine.h"
#include "core/timed/timetable_backup.h"

// Backup and restore of the timetable the program runs on ("作息表切换").
class TimetableSwitch : public QObject {
    Q_OBJECT
  public:
    TimetableSwitch(const QString& dataFolder, ProgrammeTable& programmes,
                    HolidayCalendar& calendar, RunEngine& runs, Clock& clock,
                    QObject* parent = nullptr);

    // The tables as they are in memory, so a backup also rescues a change whose save failed.
    bool backup(const QString& archivePath, QString& message);
    // Checks both files of the backup, stops every timed run, writes both files and puts
    // the new tables in place. False with the message, and the timetable unchanged.
    bool restore(const QString& archivePath, QString& message);

    // The programme or holiday file was replaced by another program: read it again as at
    // start-up. Runs go on; a programme already in memory keeps the mark of its last start,
    // so nothing rings twice. A file that fails its checks leaves the table in memory as it
    // is (its reader keeps the file as .damaged); false with the message.
    bool reloadProgrammes(QString& message);
    bool reloadHolidays(QString& message);

    // The play-log reason of the runs a restore stops.
    static QString stopReason();

  signals:
    // The tables were replaced: every list showing them must be filled again.
    void timetableReplaced();

  private:
    QString dataFolder_;
    ProgrammeTable& programmes_;
    HolidayCalendar& calendar_;
    RunEngine& runs_;
    Clock& clock_;
};
