#pragma once

#include "holidays/holiday_calendar.h"
#include "support/clock.h"
#include "timed/programme_list_model.h"
#include "timed/programme_table.h"
#include "timed/run_engine.h"

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

private:
    void enqueue(Programme& programme, const LocalDateTime& start, const LocalDateTime& moment);

    Clock& clock_;
    ProgrammeTable& table_;
    const HolidayCalendar& calendar_;
    RunEngine& runs_;
    TimedEventReporter& reporter_;
    ProgrammeListModel* list_ = nullptr;
};
