#pragma once

#include <QObject>
#include <QString>
#include <memory>
#include <vector>

#include "core/support/date_time.h"

// Result codes of the player operations, as the callers test them.
constexpr qint32 kResultOk = 0;
constexpr qint32 kErrorNoAudioDevice = static_cast<qint32>(0x80040256);
constexpr qint32 kErrorFileNotFound = static_cast<qint32>(0x80070002);
constexpr qint32 kErrorFail = static_cast<qint32>(0x80004005);
constexpr qint32 kErrorAccessDenied = static_cast<qint32>(0x80070005);
constexpr qint32 kErrorInvalidFileFormat = static_cast<qint32>(0x8004022F);
constexpr qint32 kErrorUnsupportedStream = static_cast<qint32>(0x80040265);
constexpr qint32 kErrorTimeout = static_cast<qint32>(0x8004022E);

// Event codes the owners react to; everything else is ignored.
constexpr int kEventComplete = 1;
constexpr int kEventErrorAbort = 3;
constexpr int kEventErrorStillPlaying = 8;
constexpr int kEventDeviceLost = 0x1F;
constexpr int kEventSoundDeviceError = 0x201;

// Attenuation of silence, in hundredths of a decibel.
constexpr int kSilentAttenuation = -10000;

struct PlayerEvent {
    int code = 0;
    qint32 param1 = 0;  // a result code for the error events
    qint32 param2 = 0;  // for device lost: 0 = gone, non-zero = back
    QString text;       // the media framework's own words, when it gave any

    // The playback broke: an error, or the output went away (not when it came back).
    bool isFailure() const;
    // The failure is the output's, not the file's.
    bool isDeviceFailure() const;
};

// One playback of one file on one output device. The owner opens it, runs it, and at the end
// stops, closes and frees it; a player is never reopened.
class MediaPlayer : public QObject {
    Q_OBJECT
  public:
    using QObject::QObject;

    virtual qint32 open(const QString& path, const QString& deviceName) = 0;
    virtual qint32 run() = 0;
    virtual qint32 stop() = 0;
    virtual void close() = 0;
    // Hundredths of a decibel: 0 full level, -10000 silent.
    virtual qint32 setVolume(int attenuation) = 0;
    virtual qint64 getDurationMs() = 0;
    virtual qint64 getPositionMs() = 0;
    virtual void seekMs(qint64 milliseconds) = 0;
    virtual bool isAtEnd() = 0;
    virtual QString path() const = 0;
    // The media framework's words for the last failed open or run, when it gave any.
    virtual QString lastErrorText() const = 0;
    // Runs an opened player on the system clock instead of at once: its first sample is heard
    // at the local time `at`, and from then on its volume takes the attenuations `steps`,
    // `stepMs` apart (the fade-in). False when the player cannot, or `at` is too near; the
    // player is then as it was. A player that can leaves it to its own clock.
    virtual bool runAt(const LocalDateTime& at, const std::vector<int>& steps, int stepMs);
    // Whether a player run by runAt is still heard first at `at` by the system clock as it
    // reads now: false once the clock has been set.
    virtual bool startsAt(const LocalDateTime& at) const;
    // The text after the last slash of the path.
    QString fileName() const;

  signals:
    // Emitted on the owner's thread while the player is open. A receiver may free the
    // player; events of a closed or freed player never arrive.
    void eventOccurred(const PlayerEvent& event);
};

// What the engines need from the audio layer besides players.
class AudioBackend {
  public:
    virtual ~AudioBackend() = default;
    virtual std::unique_ptr<MediaPlayer> createPlayer() = 0;
    virtual bool isMediaFrameworkAvailable() = 0;
    virtual bool areDecoderModulesIntact() = 0;
    // The text for a result code, preferring the player's own words.
    virtual QString errorText(qint32 code, const QString& playerText) = 0;
};
