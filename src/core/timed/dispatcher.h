#pragma once

#include "core/holidays/holiday_calendar.h"
#include "core/support/clock.h"
#include "core/timed/programme_list_model.h"
#include "core/timed/programme_table.h"
#include "core/timed/run_engine.h"
#include "core/timed/start_index.h"

// The clock of timed play: every 50 ms it lets the runs advance, then asks every programme,
// in table order, whether it is due, and queues those that are. Also manual play and stop.
class Dispatcher {
  public:
    Dispatcher(Clock& clock, ProgrammeTable& table, const HolidayCalendar& calendar,
               RunEngine& runs, TimedEventReporter& reporter);

    // The list whose status cells follow what each tick finds.
    void setProgrammeList(ProgrammeListModel* list) { list_ = list; }

    void dispatchTick();
    // Plays programme `index` now for n passes, tracks or seconds, pre-empting every run.
    void manualPlay(int index, int n);
    // The user's stop of the now-playing rows (any order).
    void stopRows(QList<int> rows);
    // While there is a reason (the emergency alarm) no programme starts, scheduled or by hand:
    // one that falls due is logged as not played with the reason and counts as fired, so
    // nothing is caught up afterwards. Empty: starts as usual.
    void holdStarts(const QString& reason) { holdReason_ = reason; }
    const QString& holdReason() const { return holdReason_; }

  private:
    void enqueue(Programme& programme, const LocalDateTime& start, const LocalDateTime& moment);
    // True (and logged) when starts are held.
    bool heldBack(const QString& label, const LocalDateTime& moment);
    // Has the player of the next start opened ahead of it: the run about to start, else the
    // programme that will be the head after the next start within a few seconds.
    void prepareNextStart(const LocalDateTime& moment);
    int upcomingHead(const LocalDateTime& moment, LocalDateTime& start) const;
    // The start prepared for is run ahead on its player's own clock, heard on its second,
    // when the tick of that second would start it at once; every tick until then asks again,
    // and the tick of the second itself confirms it. Anything else takes it back, and the
    // start is made at the tick after its second as ever.
    void settleEarlyStart(const LocalDateTime& moment);
    // Whether the tick of `start`, on the tables as they are now, would queue the programme of
    // `row` for that start with its zone free, to be started at the next tick.
    bool startsAtOnce(int row, const LocalDateTime& start);

    Clock& clock_;
    ProgrammeTable& table_;
    const HolidayCalendar& calendar_;
    RunEngine& runs_;
    TimedEventReporter& reporter_;
    ProgrammeListModel* list_ = nullptr;
    StartIndexes indexes_;
    qint64 lookedAheadAt_ = -1;  // the second of the last look ahead
    quint64 lookedAheadRevision_ = 0;
    int upcoming_ = -1;  // its row
    QString holdReason_;
    LocalDateTime upcomingStart_;
    quint64 earlyRevision_ = 0;    // the table's when a start was run ahead
    bool earlyConfirmed_ = false;  // its second's tick has been
    // The last start taken back: it is made at its tick, not run ahead again.
    QString declinedName_;
    LocalDateTime declinedStart_;
};
