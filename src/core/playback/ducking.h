#pragma once

#include <array>
#include <functional>

#include "core/settings/system_settings.h"

// What may lower timed play: immediate play lowers it by the ducking percentage.
enum class DuckSource { Immediate, Count };

// The gain that lowers timed play while something else plays over it. Each source says
// whether it wants timed play lowered; the gain glides to the lowest level wanted, one
// 50 ms tick at a time, down over the fade-out seconds and up over the fade-in seconds of
// the ducking settings. Timed play multiplies its level by the gain; whatever lowers it
// starts once the gain has arrived.
class Ducking {
  public:
    explicit Ducking(const SystemSettings& settings) : settings_(settings) {}

    // `active` says, each time it is asked, whether the source lowers timed play now.
    void lowerWhile(DuckSource source, std::function<bool()> active);
    // Whether anything plays under the gain; with nothing to glide the gain jumps.
    void setPlayingUnder(std::function<bool()> playing) { playingUnder_ = std::move(playing); }

    double gain() const { return gain_; }
    double target() const;
    bool isSettled() const { return gain_ == target(); }
    // One tick of the glide; true when the gain moved.
    bool glide();
    // With nothing playing under it there is nothing to glide: the gain goes to its target.
    void settleIfNothingPlays();

  private:
    double loweredGain(DuckSource source) const;

    const SystemSettings& settings_;
    std::array<std::function<bool()>, static_cast<size_t>(DuckSource::Count)> sources_;
    std::function<bool()> playingUnder_;
    double gain_ = 1.0;
};
