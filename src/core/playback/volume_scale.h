#pragma once

#include <functional>
#include <vector>

#include "core/playback/media_player.h"
#include "core/support/clock.h"

// Volume 0-100 to hundredths of a decibel: 100 -> 0, 50 -> -1505, 10 -> -5000, <= 1 silent.
int volumeToAttenuation(int volume, bool mute = false);
// The attenuation of a fractional level, truncated toward zero first.
int levelToAttenuation(double level);

// After run on a silenced player: 20 steps up to the level, 6 ms apart.
void fadeIn(MediaPlayer& player, double level, Clock& clock);
// The attenuations of those 20 steps.
std::vector<int> fadeInSteps(double level);
// The same steps on several players at once, each to its own level.
struct PlayerLevel {
    MediaPlayer* player;
    double level;
};
void fadeInTogether(const std::vector<PlayerLevel>& players, Clock& clock);
// 50 steps down, the seek, then the fade-in; the players are the outputs of one track.
void seekWithFade(const std::vector<MediaPlayer*>& players, qint64 targetMs, double level,
                  Clock& clock);
// One step per volume unit from `from` to `to`, 6 ms apart, on every player.
void rampVolume(const std::vector<MediaPlayer*>& players, int from, int to, Clock& clock);

constexpr int kFadeStepMs = 6;

// The fade of an exit or a stop: `apply` gets 0.98, then 48/50, 47/50 ... 0, a step apart.
void fadeOutInFiftySteps(const std::function<void(double)>& apply, int stepMs, Clock& clock);
