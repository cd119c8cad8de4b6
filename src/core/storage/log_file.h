#pragma once

#include <QByteArray>
#include <QString>
#include <functional>

// The file work of a log kept beside the data files (the play log): each line goes in with
// one write, so a crash cuts at most the line being written; what is written is the caller's.

// What the end of an existing log tells the next write.
struct LogTail {
    bool append = false;    // it has the byte-order mark and room below the size limit
    bool lineOpen = false;  // its last line has no line end
    bool oddSize = false;   // it ends inside a UTF-16 unit
};

struct LogFailure {
    QString what;              // the system's words
    bool duringWrite = false;  // the file was open: the write itself failed
};

// Appends `compose(tail)` to the log at dataFolder/fileName with one write, after making the
// folder and repairing access where it can. A log without the mark or over `limitBytes` is
// replaced whole: written beside it and renamed over it (a log the user linked elsewhere is
// rewritten in place). A FIFO or a device is refused. False with the failure.
bool appendToLog(const QString& dataFolder, const QString& fileName, qint64 limitBytes,
                 const std::function<QByteArray(const LogTail&)>& compose, LogFailure& failure);

// The last `limit` bytes of a log, from an even offset; `from` is where they begin. An absent
// log is empty. False with the system's words.
bool readLogEnd(const QString& path, qint64 limit, QByteArray& bytes, qint64& from, QString& error);
