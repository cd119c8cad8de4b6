#include "core/timed/dispatcher.h"

#include <algorithm>

#include "core/timed/run_texts.h"
#include "core/timed/schedule.h"

namespace {

constexpr int kPreemptFadeMs = 600;
constexpr int kUserStopFadeMs = 300;
// How far ahead the player of a start is opened: time for a slow open, not long enough to
// hold an output for nothing.
constexpr int kPrepareAheadSeconds = 3;

}  // namespace

Dispatcher::Dispatcher(Clock& clock, ProgrammeTable& table, const HolidayCalendar& calendar,
                       RunEngine& runs, TimedEventReporter& reporter)
    : clock_(clock), table_(table), calendar_(calendar), runs_(runs), reporter_(reporter) {}

void Dispatcher::dispatchTick() {
    const LocalDateTime moment = wholeSecond(clock_.now());
    runs_.tickActiveRuns(moment);
    ProgrammeStatus status = ProgrammeStatus::Enabled;
    LocalDateTime start;
    indexes_.update(table_);
    // Every programme is asked on every tick, also after another became due in this tick.
    for (int row = 0; row < table_.size(); ++row) {
        Programme& programme = table_.forDueTest(row);
        const bool due =
            isProgrammeDue(programme, moment, calendar_, status, start, indexes_.at(row));
        if (list_ != nullptr && status != ProgrammeStatus::Disabled) {
            list_->setStatus(row, status);
        }
        if (due) {
            enqueue(programme, start, moment);
        }
    }
    prepareNextStart(moment);
}

void Dispatcher::prepareNextStart(const LocalDateTime& moment) {
    if (const ActiveRun* next = runs_.nextToStart()) {
        runs_.prepareFor(&next->programme);  // it starts at the next tick
        return;
    }
    // Once a second is enough to see a start coming.
    const qint64 second = dateTimeTicks(moment) / kTicksPerSecond;
    if (second != lookedAheadAt_ || table_.revision() != lookedAheadRevision_) {
        lookedAheadAt_ = second;
        lookedAheadRevision_ = table_.revision();
        upcoming_ = upcomingHead(moment);
    }
    runs_.prepareFor(upcoming_ >= 0 ? &table_.at(upcoming_) : nullptr);
}

int Dispatcher::upcomingHead(const LocalDateTime& moment) const {
    const int now = secondsOfDay(ClockTime{moment.hour, moment.minute, moment.second});
    int soonest = kPrepareAheadSeconds + 1;
    int lastOnTime = -1;
    int firstMayDelay = -1;
    for (int row = 0; row < table_.size(); ++row) {
        const Programme& p = table_.at(row);
        const StartIndex& index = indexes_.at(row);
        if (p.disabled != 0 || !index.fits(p)) {
            continue;
        }
        // The next start of the day within reach, or of the next day after midnight.
        qint64 next = index.nextAtOrAfter(now + 1);
        if (next != StartIndex::kNoStart) {
            next -= now;
        } else if (now + kPrepareAheadSeconds >= kSecondsPerDay) {
            next = index.nextAtOrAfter(0);
            next = next != StartIndex::kNoStart ? next + kSecondsPerDay - now : next;
        }
        if (next > soonest || next > kPrepareAheadSeconds) {
            continue;
        }
        // Asked of a copy, so that nothing of the programme changes.
        Programme copy = p;
        ProgrammeStatus status = ProgrammeStatus::Enabled;
        LocalDateTime start;
        if (!isProgrammeDue(copy, addSeconds(moment, static_cast<quint32>(next)), calendar_, status,
                            start)) {
            continue;
        }
        if (next < soonest) {
            soonest = static_cast<int>(next);
            lastOnTime = -1;
            firstMayDelay = -1;
        }
        if (p.queueWhenBusy == 0) {
            lastOnTime = row;
        } else if (firstMayDelay < 0) {
            firstMayDelay = row;
        }
    }
    // The last on-time programme of that second pre-empts the others; without one, the first
    // that may wait plays when nothing else does.
    if (lastOnTime >= 0) {
        return lastOnTime;
    }
    return firstMayDelay >= 0 && !runs_.hasRunSharing(runs_.zonesOf(table_.at(firstMayDelay)))
               ? firstMayDelay
               : -1;
}

bool Dispatcher::heldBack(const QString& label, const LocalDateTime& moment) {
    if (holdReason_.isEmpty()) {
        return false;
    }
    reporter_.reportTimedEvent(moment, RunTexts::stopped(label, holdReason_));
    return true;
}

void Dispatcher::enqueue(Programme& programme, const LocalDateTime& start,
                         const LocalDateTime& moment) {
    const QString name = programmeName(programme);
    if (heldBack(name, moment)) {
        programme.lastStartTime = start;
        return;
    }
    const bool mayDelay = programme.queueWhenBusy != 0;
    // One programme at a time in each zone: an on-time one stops what sounds in its zones, one
    // that may wait waits until all of them are free.
    const QStringList zones = runs_.zonesOf(programme);
    if (!mayDelay) {
        runs_.stopRunsSharing(zones, RunTexts::preemptedBy(name), kPreemptFadeMs, moment);
    } else if (runs_.hasRunSharing(zones)) {
        reporter_.reportTimedEvent(moment, RunTexts::queued(name));
    }
    programme.lastStartTime = start;
    auto run = std::make_unique<ActiveRun>();
    run->programme = programme;
    run->zones = zones;
    const bool waits = mayDelay && runs_.hasRunSharing(zones);
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
    if (heldBack(run->label(), moment)) {
        return;
    }
    run->zones = runs_.zonesOf(run->programme);
    // By hand always pre-empts what sounds in its zones, whatever the priorities; days and
    // holidays do not count.
    runs_.stopRunsSharing(run->zones, RunTexts::preemptedByHand(programmeName(run->programme)),
                          kPreemptFadeMs, moment);
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
