#include "core/playback/media_player.h"

bool PlayerEvent::isFailure() const {
    return code == kEventErrorAbort || code == kEventErrorStillPlaying ||
           code == kEventSoundDeviceError || (code == kEventDeviceLost && param2 == 0);
}

bool PlayerEvent::isDeviceFailure() const {
    return isFailure() && (param1 == kErrorNoAudioDevice || code == kEventDeviceLost ||
                           code == kEventSoundDeviceError);
}

bool MediaPlayer::runAt(const LocalDateTime&, const std::vector<int>&, int) {
    return false;
}

bool MediaPlayer::startsAt(const LocalDateTime&) const {
    return false;
}

QString MediaPlayer::fileName() const {
    const QString p = path();
    return p.mid(p.lastIndexOf(u'/') + 1);
}
