#include "core/timed/prepared_player.h"

#include "core/playback/playback_start.h"
#include "core/playback/volume_scale.h"
#include "core/support/log_categories.h"

void PreparedPlayer::prepare(const QString& path, const QString& deviceName) {
    if (tried_ && path == path_ && deviceName == deviceName_) {
        return;
    }
    discard();
    tried_ = true;
    path_ = path;
    deviceName_ = deviceName;
    std::unique_ptr<MediaPlayer> player = backend_.createPlayer();
    if (!player) {
        return;
    }
    const PlaybackStart opened = preparePlayback(*player, path, deviceName);
    if (opened.code != 0) {
        qCDebug(lcTimed) << "not prepared:" << path << Qt::hex << static_cast<quint32>(opened.code);
        return;
    }
    player_ = std::move(player);
    // A player that breaks while it waits is of no use to the start.
    failure_ = QObject::connect(player_.get(), &MediaPlayer::eventOccurred, player_.get(),
                                [this](const PlayerEvent& event) {
                                    if (event.isFailure()) {
                                        qCDebug(lcTimed) << "prepared player failed:" << path_;
                                        discard();
                                        tried_ = true;  // not again for the same start
                                    }
                                });
}

std::unique_ptr<MediaPlayer> PreparedPlayer::take(const QString& path, const QString& deviceName) {
    if (!player_ || path != path_ || deviceName != deviceName_) {
        return nullptr;
    }
    QObject::disconnect(failure_);
    tried_ = false;
    running_ = false;
    return std::move(player_);
}

bool PreparedPlayer::runAt(const LocalDateTime& at, double level) {
    if (!player_ || running_ || !player_->runAt(at, fadeInSteps(level), kFadeStepMs)) {
        return false;
    }
    running_ = true;
    at_ = at;
    return true;
}

void PreparedPlayer::discard() {
    tried_ = false;
    if (player_) {
        QObject::disconnect(failure_);
        if (running_) {
            player_->setVolume(kSilentAttenuation);  // silent at once, whatever is on its way
        }
        running_ = false;
        player_->stop();
        player_->close();
        player_.reset();
    }
}
