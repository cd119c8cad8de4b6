// Starts run ahead on the player's own clock, so that a bell is heard on its second.
#include "core/timed/run_engine.h"

bool RunEngine::startEarly(const Programme& programme, const LocalDateTime& at) {
    const QStringList zones = zonesOf(programme);
    // One output only: the players of several zones are started together at the tick.
    if (zones.size() != 1 || !prepared_.holds() || prepared_.isRunning() ||
        preparationKey(programme) != preparedKey_) {
        return false;
    }
    // A new run's level: its volume under the ducking of its zone, no end fade yet.
    if (!prepared_.runAt(at, programme.volume * ducking_.gain(zones.first()))) {
        return false;
    }
    early_ = {programmeName(programme), at};
    return true;
}

void RunEngine::cancelEarlyStart() {
    if (prepared_.isRunning()) {
        preparedKey_.clear();
        prepared_.discard();
    }
}

bool RunEngine::earlyStartFits(const Programme& programme) const {
    return prepared_.startsOnTime() && programmeName(programme) == early_.name &&
           preparationKey(programme) == preparedKey_;
}

bool RunEngine::earlyStartQueued() const {
    for (int i = 0; i < list_.size(); ++i) {
        const ActiveRun& run = *list_.runs()[static_cast<size_t>(i)];
        if (run.manualStart == 0 && !run.player &&
            compareDateTimes(run.programme.lastStartTime, early_.at) == 0 &&
            run.name().compare(early_.name, Qt::CaseInsensitive) == 0) {
            return earlyStartFits(run.programme) && !waitsBehindEarlier(i);
        }
    }
    return false;
}
