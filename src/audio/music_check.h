#pragma once

#include <QString>

// Checks made before the bell, without playing. Each may take seconds (a probe, a large
// folder, a slow disk): call them off the user-interface thread.

// Why the programme's file or folder would not play, or empty: the path check's own message,
// no playable regular file, or a file that does not open as music.
QString musicPathProblem(const QString& path, bool folder);
// Why the output device cannot be used, or empty.
QString outputDeviceProblem(const QString& deviceName);
