#include "core/playback/volume_scale.h"

#include <cmath>

namespace {

constexpr int kFadeInSteps = 20;

}  // namespace

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

std::vector<int> fadeInSteps(double level) {
    std::vector<int> steps;
    for (int i = 1; i <= kFadeInSteps; ++i) {
        steps.push_back(levelToAttenuation(i / static_cast<double>(kFadeInSteps) * level));
    }
    return steps;
}

void fadeInTogether(const std::vector<PlayerLevel>& players, Clock& clock) {
    std::vector<std::vector<int>> steps;
    for (const PlayerLevel& p : players) {
        steps.push_back(fadeInSteps(p.level));
    }
    for (int i = 0; i < kFadeInSteps; ++i) {
        if (i > 0) {
            clock.sleepMs(kFadeStepMs);
        }
        for (size_t k = 0; k < players.size(); ++k) {
            players[k].player->setVolume(steps[k][static_cast<size_t>(i)]);
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
