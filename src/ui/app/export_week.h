#pragma once

#include <QStringList>

// "--export-week YYYY-MM-DD FILE.pdf": the week that holds the date, from the data folder,
// as a PDF for the staff room. Needs no display.
int runExportWeekCommand(int argc, char** argv, const QStringList& arguments);
