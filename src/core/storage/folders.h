#pragma once

#include <QString>

// What stands at a path, with the access-denied case of the existence check kept apart.
enum class PathState { Absent, AccessDenied, Folder, Other };
PathState pathState(const QString& path);
bool isFolder(const QString& path);

// Makes sure a folder exists at the path; a plain file standing there is replaced.
// Returns 0 or the system error code.
int makeFolder(const QString& path);

// Creates the data folder (and, quietly, any missing folder above it). 0 or an error code.
int ensureDataFolder(const QString& dataFolder);

// Deletes a folder and everything below it, repairing access first; stops at the first
// failure and returns its error code, else 0. Symbolic links are removed, never followed.
int deleteTree(const QString& folder);
void deleteTreeQuiet(const QString& folder);

// Where a file is written before it is renamed over `path`: ".<name>.saving" beside it.
// Start-up removes the ones a crash left behind.
QString savingPathFor(const QString& path);
// Creates that temporary for writing. Whatever stood there first is removed (a FIFO would
// block an open for writing), and the exclusive create never opens anything else.
// A descriptor, or -1 with errno set.
int createSavingFile(const QString& savingPath);

QString parentFolder(const QString& path);
QString joinPath(const QString& folder, const QString& name);
