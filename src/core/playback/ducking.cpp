#include "core/playback/ducking.h"

#include <algorithm>

namespace {

// A tick is 50 ms: the glide moves 0.05 per second of its fade time.
constexpr double kGlidePerTickSecond = 0.05;

}  // namespace

void Ducking::lowerWhile(DuckSource source, ZoneTest active) {
    sources_[static_cast<size_t>(source)] = std::move(active);
}

void Ducking::setZones(const QStringList& zones) {
    QHash<QString, double> kept{{QString(), gain()}};
    for (const QString& zone : zones) {
        kept.insert(zone, gain(zone));
    }
    gains_ = std::move(kept);
}

double Ducking::loweredGain(DuckSource source) const {
    switch (source) {
        case DuckSource::Immediate:
        case DuckSource::Count:
            break;
    }
    return (100 - settings_.duckPercent) / 100.0;
}

double Ducking::target(const QString& zone) const {
    double lowest = 1.0;
    for (size_t i = 0; i < sources_.size(); ++i) {
        if (sources_[i] && sources_[i](zone)) {
            lowest = std::min(lowest, loweredGain(static_cast<DuckSource>(i)));
        }
    }
    return lowest;
}

QSet<QString> Ducking::glide() {
    QSet<QString> moved;
    for (auto it = gains_.begin(); it != gains_.end(); ++it) {
        const double wanted = target(it.key());
        double& gain = it.value();
        if (gain > wanted) {
            gain = std::max(wanted, gain - kGlidePerTickSecond / settings_.duckFadeOutSeconds);
            moved.insert(it.key());
        } else if (gain < wanted) {
            gain = std::min(wanted, gain + kGlidePerTickSecond / settings_.duckFadeInSeconds);
            moved.insert(it.key());
        }
    }
    return moved;
}

void Ducking::settleIfNothingPlays(const QString& zone) {
    if (gains_.contains(zone) && (!playingUnder_ || !playingUnder_(zone))) {
        gains_[zone] = target(zone);
    }
}
