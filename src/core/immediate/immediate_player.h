#pragma once

#include <QObject>
#include <memory>
#include <random>

#include "core/immediate/immediate_store.h"
#include "core/immediate/playlist_model.h"
#include "core/playback/ducking.h"
#include "core/playback/media_player.h"
#include "core/settings/system_settings.h"
#include "core/support/clock.h"
#include "core/zones/zone_setup.h"

// Plays the immediate playlist on demand: the current track first, then more by the play
// mode, until n tracks or n seconds have played or the user stops it. While it is active
// timed play is lowered, and the first track waits until it is. Driven by a 50 ms tick.
class ImmediatePlayer : public QObject {
    Q_OBJECT
  public:
    struct Services {
        Clock& clock;
        AudioBackend& backend;
        ImmediateStore& store;
        PlaylistModel& playlist;
        const SystemSettings& systemSettings;
        // Timed play's gain: lowered in immediate play's zones while it is active.
        Ducking& ducking;
        // Where it sounds (null: the program-wide output). Kept by the caller.
        const ZoneSetup* zones = nullptr;
    };
    explicit ImmediatePlayer(const Services& services, QObject* parent = nullptr);
    ~ImmediatePlayer() override;

    bool isActive() const { return active_; }
    bool hasAudio() const { return audio_ != nullptr; }
    MediaPlayer* audio() const { return audio_.get(); }
    int limitTracks() const { return limitTracks_; }
    int limitSeconds() const { return limitSeconds_; }
    void setLimits(int tracks, int seconds);
    double endFadeGain() const { return endFadeGain_; }
    int tracksStarted() const { return tracksStarted_; }
    const QString& status() const { return status_; }
    void setRandomSeed(unsigned seed) { random_.seed(seed); }
    // Whose messages the failures are.
    void setMessageOwner(QObject* owner) { owner_ = owner; }

    // After the limit dialog: saves, and arms; the tick starts the first track. Refused with
    // a message while held.
    void startImmediatePlay();
    // While there is a reason (the emergency alarm) immediate play does not start.
    void holdStarts(const QString& reason) { holdReason_ = reason; }
    void stopImmediatePlay(bool withFade);
    void immediateTick();
    // The playing track at this fraction of its level; at 0 or below immediate play ends.
    void scaleImmediateVolume(double fraction);
    // The volume slider: ramps the playing track to the new volume.
    void changeVolume(int volume);
    // The position slider, 0 to 100.
    void seekToPercent(double percent);

  signals:
    void activeChanged(bool active);
    void statusChanged(const QString& text);
    // The position text and the slider's place (0-100).
    void positionChanged(const QString& text, int percent);
    // No track: the text is empty and the slider at 0, let go if held.
    void positionCleared();
    // The row of the track about to play should be in view.
    void rowRevealed(int row);
    // A failure that a help page explains.
    void helpRequested(const QString& anchor);

  private:
    struct StartFailure {
        QString message;  // empty: fail without a message
        QString helpAnchor;
    };
    std::optional<StartFailure> playCurrentTrack();
    void advanceTrack();
    void chooseRandomTrack();
    void releaseImmediateAudio();
    // Back to idle: no track, no status, the buttons as before the start.
    void endPlay();
    void endWithFailure(const StartFailure& failure);
    void handleImmediateEvent(const MediaPlayer* player, const PlayerEvent& event);
    void setStatus(const QString& text);
    void refreshPosition();
    void applyLevel(double fraction);
    // An announcement lowers immediate play in its zones: the gains as they glide.
    void followZoneGains();
    std::vector<double> zoneGains() const;
    // The zones it sounds in, and its players there: the track's first and the followers.
    QStringList outputZones() const;
    std::vector<MediaPlayer*> players() const;
    double level() const;
    void save(bool showErrors);

    Services s_;
    QObject* owner_ = nullptr;
    bool active_ = false;
    std::unique_ptr<MediaPlayer> audio_;
    std::vector<std::unique_ptr<MediaPlayer>> followers_;
    QStringList playerZones_;  // the zone of each of players()
    std::vector<double> appliedGains_;
    QString holdReason_;
    double endFadeGain_ = 1.0;
    int tracksStarted_ = 0;
    LocalDateTime startedAt_;
    int waitTextCounter_ = 1;
    int limitTracks_ = 1;
    int limitSeconds_ = 60;
    QString status_;
    std::mt19937 random_;
};
