#pragma once

#include <QStringList>
#include <functional>
#include <string>

#include "core/holidays/holiday_calendar.h"
#include "core/timed/programme_table.h"

// Every start that an always-running program would fire during `days` days from 00:00:00 of
// the first day, found with the dispatcher's own due test, second by second. Runs, queueing
// and pre-emption are not simulated. `row` is the programme's row in the table.
using PreviewSink =
    std::function<void(const LocalDateTime& moment, const LocalDateTime& start, int row)>;
void previewStarts(ProgrammeTable table, const HolidayCalendar& calendar, int year, int month,
                   int day, int days, const PreviewSink& sink);

// Appends the command's line for one start, "yyyy-mm-dd hh:mm:ss<TAB>hh:mm:ss<TAB>name\n",
// with the fields as formatTimestamp and formatClockTime write them and the name in UTF-8.
// A year of a large timetable has millions of lines, so this formats by hand.
void appendPreviewLine(std::string& out, const LocalDateTime& moment, const LocalDateTime& start,
                       const QByteArray& name);

// A hundred years of days: the preview of a larger N would run for hours.
constexpr int kMaxPreviewDays = 36'600;

// The programmes and holidays of the data folder for a command-line tool; a file that cannot
// be read leaves its table empty and its message on standard error.
void loadTimetableForTool(const QString& dataFolder, ProgrammeTable& table,
                          HolidayCalendar& calendar);

// The "--preview YYYY-MM-DD N" command: reads the data folder and prints one line per start.
int runPreviewCommand(const QStringList& arguments, const QString& dataFolder);
