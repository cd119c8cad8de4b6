#pragma once

#include <QString>
#include <QStringList>
#include <QThread>
#include <memory>
#include <vector>

#include "audio/output_devices.h"
#include "core/playback/live_outputs.h"

// The emergency alarm on GStreamer. Everything happens on a thread of its own: the alarm is
// decoded once into memory and looped without a gap by one pipeline per output
// (appsrc ! audioconvert ! audioresample ! volume ! sink), so an output that fails or goes
// away ends only its own pipeline and the others keep sounding. The caller's thread never
// waits for any of it.
class AlarmSiren : public AlarmOutput {
  public:
    explicit AlarmSiren(OutputDevices& devices = OutputDevices::instance());
    ~AlarmSiren() override;
    AlarmSiren(const AlarmSiren&) = delete;
    AlarmSiren& operator=(const AlarmSiren&) = delete;

    void startAlarm(const QStringList& files, const QStringList& devices) override;
    void stopAlarm() override;

    // The outputs it sounds on now, and the file heard (empty for the program's own siren).
    QStringList soundingOutputs() const;
    QString soundingFile() const;

    struct Session;

  private:
    OutputDevices& devices_;
    std::shared_ptr<Session> session_;
    std::vector<std::unique_ptr<QThread>> threads_;
};
