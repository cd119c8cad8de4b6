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
// A start is run ahead only with this much time left, so that its output has started before
// the second comes.
constexpr qint64 kEarlyLeadMs = 100;

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
    settleEarlyStart(moment);
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
        upcoming_ = upcomingHead(moment, upcomingStart_);
    }
    runs_.prepareFor(upcoming_ >= 0 ? &table_.at(upcoming_) : nullptr);
}

int Dispatcher::upcomingHead(const LocalDateTime& moment, LocalDateTime& start) const {
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
        LocalDateTime matched;
        if (!isProgrammeDue(copy, addSeconds(moment, static_cast<quint32>(next)), calendar_, status,
                            matched)) {
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
    start = addSeconds(moment, static_cast<quint32>(std::max(soonest, 0)));
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

void Dispatcher::settleEarlyStart(const LocalDateTime& moment) {
    const int row = upcoming_ < table_.size() ? upcoming_ : -1;
    if (const RunEngine::EarlyStart* early = runs_.earlyStart()) {
        // Before its second, every tick asks again. The tick of the second (the first after
        // it, when ticks came late) lets it stand when its run is the one that the next tick
        // starts; a run that did not take it then, whatever held it back, never will.
        bool stands = false;
        if (compareDateTimes(moment, early->at) >= 0) {
            stands = !earlyConfirmed_ && runs_.earlyStartQueued();
            earlyConfirmed_ = true;
        } else {
            stands = row >= 0 && table_.revision() == earlyRevision_ &&
                     compareDateTimes(upcomingStart_, early->at) == 0 &&
                     runs_.earlyStartFits(table_.at(row)) && startsAtOnce(row, early->at);
        }
        if (!stands) {
            declinedName_ = early->name;
            declinedStart_ = early->at;
            runs_.cancelEarlyStart();
        }
        return;
    }
    if (row < 0 || compareDateTimes(upcomingStart_, moment) <= 0 ||
        (programmeName(table_.at(row)) == declinedName_ &&
         compareDateTimes(upcomingStart_, declinedStart_) == 0)) {
        return;
    }
    const qint64 leadMs =
        (dateTimeTicks(upcomingStart_) - dateTimeTicks(clock_.now())) / kTicksPerMillisecond;
    if (leadMs >= kEarlyLeadMs && startsAtOnce(row, upcomingStart_) &&
        runs_.startEarly(table_.at(row), upcomingStart_)) {
        earlyRevision_ = table_.revision();
        earlyConfirmed_ = false;
    }
}

bool Dispatcher::startsAtOnce(int row, const LocalDateTime& start) {
    // Nothing starts while starts are held (the emergency alarm).
    if (!holdReason_.isEmpty()) {
        return false;
    }
    const Programme& p = table_.at(row);
    const QStringList zones = runs_.zonesOf(p);
    // Something sounds or waits there: a start on time would fade it out first, one that may
    // wait would wait. Anything else that holds starts back belongs here too.
    if (runs_.hasRunSharing(zones)) {
        return false;
    }
    const int second = secondsOfDay(ClockTime{start.hour, start.minute, start.second});
    for (int other = 0; other < table_.size(); ++other) {
        const Programme& q = table_.at(other);
        const StartIndex& index = *indexes_.at(other);
        if (other != row &&
            (q.disabled != 0 || (index.fits(q) && index.nextAtOrAfter(second) != second))) {
            continue;
        }
        // The due test of the tick of that second, asked of a copy.
        Programme copy = q;
        ProgrammeStatus status = ProgrammeStatus::Enabled;
        LocalDateTime matched;
        const bool due = isProgrammeDue(copy, start, calendar_, status, matched);
        if (other == row) {
            if (!due || compareDateTimes(matched, start) != 0) {
                return false;
            }
            continue;
        }
        const QStringList theirs = runs_.zonesOf(q);
        const bool shared = std::any_of(theirs.begin(), theirs.end(),
                                        [&](const QString& z) { return zones.contains(z); });
        // A later one on time would stop it; an earlier one would keep it waiting when it may
        // wait.
        if (due && shared &&
            ((other > row && q.queueWhenBusy == 0) || (other < row && p.queueWhenBusy != 0))) {
            return false;
        }
    }
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
