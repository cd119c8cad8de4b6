#pragma once

#include <QString>

#include "core/moving/data_tables.h"

// Reads the data folder of the Windows program, or a ZIP archive of it: its files have the
// layouts of ours. Every file the source holds is checked by its reader as at start-up; the
// first that fails gives its message (naming the file in the source) and false, and so does
// a source that holds none of the four. Nothing is written anywhere but a scratch folder.
bool readWindowsSource(const QString& source, ImportedTables& tables, QString& message);
