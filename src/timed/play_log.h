#pragma once

#include <QString>

#include "support/date_time.h"
#include "timed/log_rows_model.h"

inline const QString kPlayLogFileName = QStringLiteral("定时播日志t.txt");
// A log of this size or more is started afresh at the next write.
constexpr qint64 kPlayLogLimitBytes = 2'097'152;

// Appends one line "yyyy-mm-dd hh:mm:ss   text" CR LF in UTF-16LE to the play log in the data
// folder. False with one of the "写日志失败" texts on failure.
bool appendPlayLog(const QString& dataFolder, const LocalDateTime& time, const QString& text,
                   QString& error);

// Where timed-play events go: every engine report passes through here.
class TimedEventReporter {
  public:
    virtual ~TimedEventReporter() = default;
    virtual void reportTimedEvent(const LocalDateTime& time, const QString& text) = 0;
};

class PlayLog : public TimedEventReporter {
  public:
    explicit PlayLog(const QString& dataFolder) : dataFolder_(dataFolder) {}

    // Shows the event in the log list and appends it to the file; a failed write is shown as
    // a further row and never stops anything.
    void reportTimedEvent(const LocalDateTime& time, const QString& text) override;

    // The latest lines, for the log list.
    LogRowsModel& rows() { return rows_; }
    // Without windows every line is also printed on standard output.
    void setEchoToStandardOutput(bool echo) { echo_ = echo; }
    QString path() const;

  private:
    void echo(const LocalDateTime& time, const QString& text) const;

    QString dataFolder_;
    LogRowsModel rows_;
    bool echo_ = false;
};
