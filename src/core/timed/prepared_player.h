#pragma once

#include <QMetaObject>
#include <QString>
#include <memory>

#include "core/playback/media_player.h"

// A player opened and prerolled, silent, ahead of a start due within seconds, so that the
// start itself only runs it and its first sample follows the tick at once. There is at most
// one; it goes to the start that plays exactly its file on its output, and is freed when no
// such start comes. A failure while preparing is not reported: the start opens the file
// again in the usual way and reports it there.
class PreparedPlayer {
  public:
    explicit PreparedPlayer(AudioBackend& backend) : backend_(backend) {}
    ~PreparedPlayer() { discard(); }
    PreparedPlayer(const PreparedPlayer&) = delete;
    PreparedPlayer& operator=(const PreparedPlayer&) = delete;

    // Opens a player for the file on the output, unless this was tried last already.
    void prepare(const QString& path, const QString& deviceName);
    // The player, when it was prepared for this file on this output; the caller owns it.
    std::unique_ptr<MediaPlayer> take(const QString& path, const QString& deviceName);
    // Frees the player, and forgets what was tried, so it may be prepared again.
    void discard();
    // Runs the held player ahead on its own clock, so that it is heard from `at` fading in to
    // `level`. False when it cannot be; it is then held as before.
    bool runAt(const LocalDateTime& at, double level);

    bool holds() const { return player_ != nullptr; }
    // The held player has been run ahead.
    bool isRunning() const { return player_ != nullptr && running_; }
    // ... and is still heard first at that moment by the system clock as it reads now.
    bool startsOnTime() const { return isRunning() && player_->startsAt(at_); }
    // The file of the held player (empty when there is none).
    QString path() const { return player_ ? path_ : QString(); }

  private:
    AudioBackend& backend_;
    std::unique_ptr<MediaPlayer> player_;
    QString path_;
    QString deviceName_;
    bool tried_ = false;
    bool running_ = false;
    LocalDateTime at_;
    QMetaObject::Connection failure_;
};
