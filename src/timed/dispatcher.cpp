#include "timed/dispatcher.h"

#include <algorithm>

#include "timed/run_texts.h"
#include "timed/schedule.h"

namespace {

constexpr int kPreemptFadeMs = 600;
constexpr int kUserStopFadeMs = 300;

}  // namespace

Dispatcher::Dispatcher(Clock& clock, ProgrammeTable& table, const HolidayCalendar& calendar,
                       RunEngine& runs, TimedEventReporter& reporter)
    : clock_(clock), table_(table), calendar_(calendar), runs_(runs), reporter_(reporter) {}

void Dispatcher::dispatchTick() {
    const LocalDateTime moment = wholeSecond(clock_.now());
    runs_.tickActiveRuns(moment);
    ProgrammeStatus status = ProgrammeStatus::Enabled;
    LocalDateTime start;
    // Every programme is asked on every tick, also after another became due in this tick.
    for (int row = 0; row < table_.size(); ++row) {
        Programme& programme = table_[row];
        const bool due = isProgrammeDue(programme, moment, calendar_, status, start);
        if (list_ != nullptr && status != ProgrammeStatus::Disabled) {
            list_->setStatus(row, status);
        }
        if (due) {
            enqueue(programme, start, moment);
        }
    }
}

void Dispatcher::enqueue(Programme& programme, const LocalDateTime& start,
                         const LocalDateTime& moment) {
    const QString name = programmeName(programme);
    const bool mayDelay = programme.queueWhenBusy != 0;
    if (!mayDelay) {
        runs_.stopAllRuns(RunTexts::preemptedBy(name), kPreemptFadeMs, moment);
    } else if (!runs_.isEmpty()) {
        reporter_.reportTimedEvent(moment, RunTexts::queued(name));
    }
    programme.lastStartTime = start;
    auto run = std::make_unique<ActiveRun>();
    run->programme = programme;
    const bool waits = mayDelay && !runs_.isEmpty();
    runs_.append(std::move(run), waits ? QStringLiteral("排队等候") : QString());
}

void Dispatcher::manualPlay(int index, int n) {
    if (index < 0 || index >= table_.size()) {
        return;
    }
    auto run = std::make_unique<ActiveRun>();
    run->programme = table_.at(index);
    if (run->programme.countByTracks != 0) {
        run->programme.trackCount = n;
        run->programme.secondsCount = 600;
    } else {
        run->programme.secondsCount = n;
        run->programme.trackCount = 1;
    }
    const LocalDateTime moment = wholeSecond(clock_.now());
    run->programme.lastStartTime = moment;
    run->manualStart = 1;
    // By hand always pre-empts, whatever the priorities; days and holidays do not count.
    runs_.stopAllRuns(RunTexts::preemptedByHand(programmeName(run->programme)), kPreemptFadeMs,
                      moment);
    runs_.append(std::move(run), QString());
}

void Dispatcher::stopRows(QList<int> rows) {
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    // The first selected row each time; the rows below move up as runs go.
    for (int k = 0; k < rows.size(); ++k) {
        runs_.stopRun(rows[k] - k, QStringLiteral("用户终止播放"), kUserStopFadeMs,
                      wholeSecond(clock_.now()));
    }
}
