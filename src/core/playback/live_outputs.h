#pragma once

#include <QString>
#include <QStringList>

// What the emergency alarm and the live announcement need from the audio layer. Both sound on
// several output devices at once, by the devices' stored names.

// The alarm: a sound in a loop on every output, started and stopped without ever waiting on
// the caller's thread. An output that fails is left out; the others keep sounding.
class AlarmOutput {
  public:
    virtual ~AlarmOutput() = default;
    // Plays the first of the files that can be played (the last resort is a sound of the
    // program's own), at full level, until stopped.
    virtual void startAlarm(const QStringList& files, const QStringList& devices) = 0;
    // Fades it out and ends it.
    virtual void stopAlarm() = 0;
};

// The announcement: a short chime on the outputs, then the input (a microphone) heard live
// on them until stopped.
class LiveOutput {
  public:
    virtual ~LiveOutput() = default;
    // False with the reason when the input cannot be opened or no output takes it.
    virtual bool startLive(const QString& input, const QStringList& devices, QString& message) = 0;
    // Ends it with a short fade.
    virtual void stopLive() = 0;
};
