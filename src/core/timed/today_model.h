#pragma once

#include <QAbstractTableModel>
#include <map>
#include <vector>

#include "core/holidays/holiday_calendar.h"
#include "core/support/clock.h"
#include "core/timed/programme_table.h"
#include "core/timed/run_watch.h"

// What became of one start of today.
enum class StartState { ToCome, Queued, Playing, Played, Failed, Stopped, Skipped };

// A problem the check before the bell found for one start.
struct StartProblem {
    LocalDateTime start;
    QString name;  // empty for a problem of the output device, which concerns every start
    QString problem;
};

// Every start that falls due today, in time order, found by the same evaluation as the
// preview, with what became of it. It follows the clock (update), the timetable and the
// holidays (rebuild) and the runs (through the RunWatch).
class TodayModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    enum Column { Start, Name, State, Reason, Columns };

    struct Entry {
        LocalDateTime moment;  // when it falls due; later than `start` when it joins late
        LocalDateTime start;
        QString name;
        qint64 windowEndTicks = 0;  // after this a start that never fired was missed
        StartState state = StartState::ToCome;
        QString reason;
        QString problem;
    };

    TodayModel(const ProgrammeTable& table, const HolidayCalendar& calendar, const Clock& clock,
               RunWatch& watch, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    const std::vector<Entry>& entries() const { return entries_; }
    static QString stateText(StartState state);
    // "下一个: HH:MM:SS 节目名", or empty when nothing more is due today.
    QString nextStartText() const { return nextText_; }
    // Why today plays as it does: a holiday, or an adjusted day and whose timetable it
    // follows; empty on an ordinary day.
    QString dayNote() const { return dayNote_; }

  public slots:
    // The timetable or the holidays changed: today's starts anew, keeping what happened.
    void rebuild();
    // The clock moved: a new day, missed starts, the next start.
    void update();
    // The findings of the latest check before the bell (they replace the earlier ones).
    void setProblems(const std::vector<StartProblem>& problems);
    // What the last check before the bell found.
    const std::vector<StartProblem>& problems() const { return problems_; }

  signals:
    void nextStartChanged(const QString& text);

  private:
    void followRuns();
    void runEnding(const ActiveRun& run, RunTextKind kind, const QString& reason);
    int findEntry(const ActiveRun& run) const;
    void setState(int row, StartState state, const QString& reason);
    void applyProblems();
    static QString startKey(const LocalDateTime& start, const QString& name);
    void updateNext();

    const ProgrammeTable& table_;
    const HolidayCalendar& calendar_;
    const Clock& clock_;
    RunWatch& watch_;
    LocalDateTime day_;
    qint64 sessionStart_;  // starts missed before it were missed by a program not running
    std::vector<Entry> entries_;
    std::vector<StartProblem> problems_;
    QString nextText_;
    QString dayNote_;
};
