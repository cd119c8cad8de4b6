#include "core/playback/ducking.h"

#include <algorithm>

namespace {

// A tick is 50 ms: the glide moves 0.05 per second of its fade time.
constexpr double kGlidePerTickSecond = 0.05;

}  // namespace

void Ducking::lowerWhile(DuckSource source, std::function<bool()> active) {
    sources_[static_cast<size_t>(source)] = std::move(active);
}

double Ducking::loweredGain(DuckSource source) const {
    switch (source) {
        case DuckSource::Immediate:
        case DuckSource::Count:
            break;
    }
    return (100 - settings_.duckPercent) / 100.0;
}

double Ducking::target() const {
    double lowest = 1.0;
    for (size_t i = 0; i < sources_.size(); ++i) {
        if (sources_[i] && sources_[i]()) {
            lowest = std::min(lowest, loweredGain(static_cast<DuckSource>(i)));
        }
    }
    return lowest;
}

bool Ducking::glide() {
    const double wanted = target();
    if (gain_ > wanted) {
        gain_ = std::max(wanted, gain_ - kGlidePerTickSecond / settings_.duckFadeOutSeconds);
        return true;
    }
    if (gain_ < wanted) {
        gain_ = std::min(wanted, gain_ + kGlidePerTickSecond / settings_.duckFadeInSeconds);
        return true;
    }
    return false;
}

void Ducking::settleIfNothingPlays() {
    if (!playingUnder_ || !playingUnder_()) {
        gain_ = target();
    }
}
