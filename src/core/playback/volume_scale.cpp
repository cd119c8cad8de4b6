#include "core/playback/volume_scale.h"

#include <cmath>

int volumeToAttenuation(int volume, bool mute) {
    if (mute || volume <= 1) {
        return kSilentAttenuation;
    }
    return static_cast<int>(std::trunc((std::log10(static_cast<double>(volume)) - 2.0) * 5000.0));
}

int levelToAttenuation(double level) {
    return volumeToAttenuation(static_cast<int>(std::trunc(level)));
}

void fadeIn(MediaPlayer& player, double level, Clock& clock) {
    for (int i = 1; i <= 20; ++i) {
        if (i > 1) {
            clock.sleepMs(kFadeStepMs);
        }
        player.setVolume(levelToAttenuation(i / 20.0 * level));
    }
}

void seekWithFade(MediaPlayer& player, qint64 targetMs, double level, Clock& clock) {
    for (int n = 49; n >= 0; --n) {
        player.setVolume(levelToAttenuation(n / 50.0 * level));
        if (n > 0) {
            clock.sleepMs(kFadeStepMs);
        }
    }
    player.seekMs(targetMs);
    fadeIn(player, level, clock);
}

void rampVolume(MediaPlayer* player, int from, int to, Clock& clock) {
    if (player == nullptr || from == to) {
        return;
    }
    const int step = to > from ? 1 : -1;
    for (int v = from + step;; v += step) {
        player->setVolume(volumeToAttenuation(v));
        if (v == to) {
            break;
        }
        clock.sleepMs(kFadeStepMs);
    }
}

void fadeOutInFiftySteps(const std::function<void(double)>& apply, int stepMs, Clock& clock) {
    apply(0.98);
    for (int n = 48; n >= 0; --n) {
        clock.sleepMs(stepMs);
        apply(n / 50.0);
    }
}
