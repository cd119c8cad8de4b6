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
    PlaybackStart result;
    if (!prepared) {
        result = preparePlayback(player, path, deviceName);
        if (result.code != 0) {
            return result;
        }
    }
    result.code = player.run();
    if (result.code != 0) {
        result.playerText = player.lastErrorText();
        player.close();
        return result;
    }
    fadeIn(player, level, clock);
    return result;
}
