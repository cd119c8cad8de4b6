#pragma once

#include <QString>
#include <QStringList>

// Music files made at test time by ffmpeg: a 440 Hz tone at -18 dBFS.
// The extensions this machine can encode, of the playable ones.
QStringList encodableExtensions();
// Creates (once per process) a tone of the given length in the format of the extension.
QString toneFile(const QString& extension, double seconds = 1.0, int frequency = 440);
// A scratch folder for the files of this process.
QString toneFolder();
