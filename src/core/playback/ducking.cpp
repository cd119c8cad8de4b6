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
    QHash<QString, double> keptImmediate{{QString(), immediateGain()}};
    for (const QString& zone : zones) {
        kept.insert(zone, gain(zone));
        keptImmediate.insert(zone, immediateGain(zone));
    }
    gains_ = std::move(kept);
    immediateGains_ = std::move(keptImmediate);
}

double Ducking::loweredGain(DuckSource source) const {
    switch (source) {
        case DuckSource::Announcement:
            // Nothing may be heard under a voice on the microphone.
            return 0.0;
        case DuckSource::Immediate:
        case DuckSource::Count:
            break;
    }
    return (100 - settings_.duckPercent) / 100.0;
}

bool Ducking::lowers(DuckSource source, const QString& zone) const {
    const ZoneTest& test = sources_[static_cast<size_t>(source)];
    return test && test(zone);
}

double Ducking::target(const QString& zone) const {
    double lowest = 1.0;
    for (size_t i = 0; i < sources_.size(); ++i) {
        if (lowers(static_cast<DuckSource>(i), zone)) {
            lowest = std::min(lowest, loweredGain(static_cast<DuckSource>(i)));
        }
    }
    return lowest;
}

bool Ducking::glideTo(double& gain, double wanted) const {
    if (gain > wanted) {
        gain = std::max(wanted, gain - kGlidePerTickSecond / settings_.duckFadeOutSeconds);
        return true;
    }
    if (gain < wanted) {
        gain = std::min(wanted, gain + kGlidePerTickSecond / settings_.duckFadeInSeconds);
        return true;
    }
    return false;
}

QSet<QString> Ducking::glide() {
    QSet<QString> moved;
    for (auto it = gains_.begin(); it != gains_.end(); ++it) {
        if (glideTo(it.value(), target(it.key()))) {
            moved.insert(it.key());
        }
    }
    // Immediate play reads its gains each tick; it needs no list of what moved.
    for (auto it = immediateGains_.begin(); it != immediateGains_.end(); ++it) {
        glideTo(it.value(), lowers(DuckSource::Announcement, it.key())
                                ? loweredGain(DuckSource::Announcement)
                                : 1.0);
    }
    return moved;
}

void Ducking::settleIfNothingPlays(const QString& zone) {
    if (gains_.contains(zone) && (!playingUnder_ || !playingUnder_(zone))) {
        gains_[zone] = target(zone);
    }
}
