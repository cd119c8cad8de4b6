#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include "core/support/date_time.h"
#include "core/timed/log_rows_model.h"

inline const QString kPlayLogFileName = QStringLiteral("定时播日志t.txt");
// A log of this size or more is started afresh at the next write.
constexpr qint64 kPlayLogLimitBytes = 2'097'152;

// Appends one line "yyyy-mm-dd hh:mm:ss   text" CR LF in UTF-16LE to the play log in the data
// folder. False with one of the "写日志失败" texts on failure.
bool appendPlayLog(const QString& dataFolder, const LocalDateTime& time, const QString& text,
                   QString& error);

// The lines of the play log, oldest first, for reading on a worker thread: at most the last
// 4 MiB are read (the log is started afresh at 2 MiB), so a strange file cannot exhaust memory.
// False with a message when it cannot be read; an absent file gives no lines and no message.
bool readPlayLogLines(const QString& path, QStringList& lines, QString& error);

// Where timed-play events go: every engine report passes through here.
class TimedEventReporter {
  public:
    virtual ~TimedEventReporter() = default;
    virtual void reportTimedEvent(const LocalDateTime& time, const QString& text) = 0;
};

class PlayLog : public QObject, public TimedEventReporter {
    Q_OBJECT
  public:
    explicit PlayLog(const QString& dataFolder, QObject* parent = nullptr)
        : QObject(parent), dataFolder_(dataFolder) {}

    // Shows the event in the log list and appends it to the file; a failed write is shown as
    // a further row and never stops anything.
    void reportTimedEvent(const LocalDateTime& time, const QString& text) override;

    // The latest lines, for the log list.
    LogRowsModel& rows() { return rows_; }
    // Without windows every line is also printed on standard output.
    void setEchoToStandardOutput(bool echo) { echo_ = echo; }
    QString path() const;

  signals:
    // Every event, once it is in the list and the file.
    void reported(const LocalDateTime& time, const QString& text);

  private:
    void echo(const LocalDateTime& time, const QString& text) const;

    QString dataFolder_;
    LogRowsModel rows_;
    bool echo_ = false;
};
