#pragma once

#include <QByteArray>
#include <QString>

// Small whole files read and written in one piece, for the data files and the program's
// other little files (the autostart entry, backups).

// Writes every byte, going on after short writes; false with the errno in `error`.
bool writeAllBytes(int fd, const char* data, qsizetype size, int& error);
// Commits a rename in the folder to disk.
void syncFolder(const QString& folder);
// Replaces the file in one step: a temporary beside it (savingPathFor), flushed to disk and
// renamed over it.
// 0 or the errno of the failed step; the old file then stays.
int replaceWholeFile(const QString& path, const QByteArray& content);
// Reads a regular file of at most `limit` bytes without ever waiting on a FIFO or a device.
// 0 or an errno: EISDIR for a folder, EINVAL for anything else not a regular file, EFBIG
// for a file over the limit.
int readWholeFile(const QString& path, qint64 limit, QByteArray& content);

// What reading a small file that may be missing gave: nothing there, its bytes, or (with its
// problem in words) why it cannot be read.
enum class OptionalFile { Absent, Read, Unreadable };
OptionalFile readOptionalFile(const QString& path, qint64 limit, QByteArray& content,
                              QString& problem);
