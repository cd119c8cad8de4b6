#pragma once

#include <QHash>
#include <QSet>
#include <QString>
#include <array>
#include <functional>

#include "core/settings/system_settings.h"

// What may lower timed play: immediate play lowers it by the ducking percentage, a live
// announcement (喊话) to silence.
enum class DuckSource { Immediate, Announcement, Count };

// The gains that lower timed play while something else plays over it, one per zone ("" is the
// program-wide output, the only zone without a zone file). Each source says, per zone,
// whether it wants timed play lowered there; a zone's gain glides to the lowest level wanted,
// one 50 ms tick at a time, down over the fade-out seconds and up over the fade-in seconds of
// the ducking settings. Timed play multiplies its level by its zone's gain; whatever lowers a
// zone starts once that gain has arrived.
class Ducking {
  public:
    using ZoneTest = std::function<bool(const QString& zone)>;

    explicit Ducking(const SystemSettings& settings) : settings_(settings) {}

    // `active(zone)` says, each time it is asked, whether the source lowers that zone now.
    void lowerWhile(DuckSource source, ZoneTest active);
    // Whether anything plays under a zone's gain; with nothing to glide the gain jumps.
    void setPlayingUnder(ZoneTest playing) { playingUnder_ = std::move(playing); }
    // The zones whose gains glide; the program-wide output always does.
    void setZones(const QStringList& zones);

    double gain(const QString& zone = QString()) const { return gains_.value(zone, 1.0); }
    double target(const QString& zone = QString()) const;
    // Immediate play's own gain in a zone: only an announcement lowers it, to silence, with
    // the same glide.
    double immediateGain(const QString& zone = QString()) const {
        return immediateGains_.value(zone, 1.0);
    }
    // One tick of every zone's glide; the zones whose gain moved.
    QSet<QString> glide();
    // With nothing playing under it there is nothing to glide: the gain goes to its target.
    void settleIfNothingPlays(const QString& zone = QString());

  private:
    double loweredGain(DuckSource source) const;
    bool lowers(DuckSource source, const QString& zone) const;
    // One step of a gain toward what is wanted; whether it moved.
    bool glideTo(double& gain, double wanted) const;

    const SystemSettings& settings_;
    std::array<ZoneTest, static_cast<size_t>(DuckSource::Count)> sources_;
    ZoneTest playingUnder_;
    QHash<QString, double> gains_{{QString(), 1.0}};
    QHash<QString, double> immediateGains_{{QString(), 1.0}};
};
