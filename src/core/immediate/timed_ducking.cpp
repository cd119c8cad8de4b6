#include "core/immediate/timed_ducking.h"

#include "core/timed/run_engine.h"

namespace {

// The longest glide takes 16 s of 50 ms ticks.
constexpr int kMaxGlideSteps = 1000;

}  // namespace

bool RunEngineDucking::hasActiveRuns() const {
    return !runs_.isEmpty();
}

double RunEngineDucking::duckTarget() const {
    return runs_.duckTarget();
}

double RunEngineDucking::timedDuckGain() const {
    return runs_.timedDuckGain();
}

void RunEngineDucking::moveGainToTarget() {
    // The engine moves its gain only in its tick; with no run in the list the tick does
    // nothing else, so a burst of ticks is the glide done at once.
    for (int i = 0;
         i < kMaxGlideSteps && runs_.isEmpty() && runs_.timedDuckGain() != runs_.duckTarget();
         ++i) {
        runs_.tickActiveRuns(LocalDateTime{});
    }
}
