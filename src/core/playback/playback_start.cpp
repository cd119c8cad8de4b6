#include "core/playback/playback_start.h"

#include "core/playback/volume_scale.h"

PlaybackStart preparePlayback(MediaPlayer& player, const QString& path, const QString& deviceName) {
    PlaybackStart result;
    result.code = player.open(path, deviceName);
    if (result.code != 0) {
        result.openFailed = true;
        result.playerText = player.lastErrorText();
        return result;
    }
    // Silent before run: the first samples would otherwise click in at full level.
    player.setVolume(kSilentAttenuation);
    return result;
}

PlaybackStart startPlayback(MediaPlayer& player, const QString& path, const QString& deviceName,
                            double level, Clock& clock, bool prepared) {
    std::vector<PlaybackTarget> one{{&player, deviceName, level, prepared, {}}};
    startPlaybackTogether(one, path, clock);
    return one.front().result;
}

void startPlaybackTogether(std::vector<PlaybackTarget>& targets, const QString& path,
                           Clock& clock) {
    for (PlaybackTarget& t : targets) {
        if (!t.prepared) {
            t.result = preparePlayback(*t.player, path, t.deviceName);
        }
    }
    for (PlaybackTarget& t : targets) {
        if (t.result.code != 0 || t.running) {
            continue;
        }
        t.result.code = t.player->run();
        if (t.result.code != 0) {
            t.result.playerText = t.player->lastErrorText();
            t.player->close();
        }
    }
    std::vector<PlayerLevel> fading;
    bool started = false;
    for (const PlaybackTarget& t : targets) {
        if (t.result.code == 0) {
            started = true;
            if (!t.running) {
                fading.push_back({t.player, t.level});
            }
        }
    }
    if (!started) {
        return;
    }
    // The pauses of the fade are kept also when every player fades in on its own clock, so
    // that the ticks after a start come as they always have.
    fadeInTogether(fading, clock);
    for (const PlaybackTarget& t : targets) {
        if (t.result.code == 0 && t.running) {
            // Its level as it is now: the ducking may have moved since its steps were set.
            t.player->setVolume(levelToAttenuation(t.level));
        }
    }
}
