#pragma once

#include <QStringList>
#include <optional>

// "--import-windows SOURCE [--map PREFIX=FOLDER]..." and "--import-holidays FILE.ics": moving
// a school in from a terminal. Nothing when the arguments ask for something else; otherwise
// the exit status: 0 imported, 1 the source failed its checks or could not be written, 2
// wrong usage.
std::optional<int> runImportCommand(int argc, char** argv, const QStringList& arguments);
