#pragma once

#include <QStringList>
#include <functional>

#include "holidays/holiday_calendar.h"
#include "timed/programme_table.h"

// Every start that an always-running program would fire during `days` days from 00:00:00 of
// the first day, found with the dispatcher's own due test, second by second. Runs, queueing
// and pre-emption are not simulated.
using PreviewSink = std::function<void(const LocalDateTime& moment, const LocalDateTime& start,
                                       const Programme& programme)>;
void previewStarts(ProgrammeTable table, const HolidayCalendar& calendar, int year, int month,
                   int day, int days, const PreviewSink& sink);

// The "--preview YYYY-MM-DD N" command: reads the data folder and prints one line per start.
int runPreviewCommand(const QStringList& arguments, const QString& dataFolder);
