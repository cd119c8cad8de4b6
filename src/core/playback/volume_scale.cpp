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
    fadeInTogether({{&player, level}}, clock);
}

void fadeInTogether(const std::vector<PlayerLevel>& players, Clock& clock) {
    for (int i = 1; i <= 20; ++i) {
        if (i > 1) {
            clock.sleepMs(kFadeStepMs);
        }
        for (const PlayerLevel& p : players) {
            p.player->setVolume(levelToAttenuation(i / 20.0 * p.level));
        }
    }
}

void seekWithFade(const std::vector<MediaPlayer*>& players, qint64 targetMs, double level,
                  Clock& clock) {
    for (int n = 49; n >= 0; --n) {
        for (MediaPlayer* player : players) {
            player->setVolume(levelToAttenuation(n / 50.0 * level));
        }
        if (n > 0) {
            clock.sleepMs(kFadeStepMs);
        }
    }
    std::vector<PlayerLevel> levels;
    for (MediaPlayer* player : players) {
        player->seekMs(targetMs);
        levels.push_back({player, level});
    }
    fadeInTogether(levels, clock);
}

void rampVolume(const std::vector<MediaPlayer*>& players, int from, int to, Clock& clock) {
    if (players.empty() || from == to) {
        return;
    }
    const int step = to > from ? 1 : -1;
    for (int v = from + step;; v += step) {
        for (MediaPlayer* player : players) {
            player->setVolume(volumeToAttenuation(v));
        }
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
