#pragma once

#include <QObject>
#include <QString>

#include "core/announcement/announcement.h"
#include "core/immediate/immediate_player.h"
#include "core/playback/live_outputs.h"
#include "core/settings/system_settings.h"
#include "core/support/clock.h"
#include "core/timed/dispatcher.h"
#include "core/timed/play_log.h"
#include "core/timed/run_engine.h"
#include "core/zones/zone_setup.h"

// The emergency broadcast (紧急广播) for a fire or an earthquake drill: one call, no question,
// and the alarm sounds in a loop at full level in every zone until it is stopped. It stops all
// timed and immediate play and the announcement, and lets nothing start meanwhile: a programme
// due during the alarm is logged as not played, and afterwards the timetable goes on with its
// next start.
class EmergencyAlarm : public QObject {
    Q_OBJECT
  public:
    struct Services {
        Clock& clock;
        TimedEventReporter& log;
        RunEngine& runs;
        Dispatcher& dispatcher;
        ImmediatePlayer& immediate;
        Announcement& announcement;
        AlarmOutput& output;
        const SystemSettings& settings;
        const ZoneSetup* zones = nullptr;  // kept by the caller
        QString builtInAlarm;              // the path of the alarm shipped with the program
    };
    // Why nothing starts while it sounds.
    static const QString kHoldReason;

    explicit EmergencyAlarm(const Services& services, QObject* parent = nullptr);

    bool isActive() const { return active_; }
    // The second it began.
    const LocalDateTime& since() const { return since_; }
    // The alarm chosen in the settings tab; empty: the built-in one.
    const QString& alarmFile() const { return alarmFile_; }
    void setAlarmFile(const QString& path) { alarmFile_ = path; }
    const QString& builtInAlarm() const { return s_.builtInAlarm; }

    // Sounds `file`, or the chosen alarm when empty; a file that cannot be played gives way to
    // the built-in alarm. Nothing happens while it already sounds.
    void start(const QString& file = QString());
    void stop();

  signals:
    void activeChanged(bool active);

  private:
    void holdStarts(const QString& reason);
    // Every run and immediate play fade out together, as at exit, over the pre-emption's time.
    void silenceEverything(const LocalDateTime& now);
    void report(const LocalDateTime& time, const QString& text);

    Services s_;
    bool active_ = false;
    LocalDateTime since_;
    QString alarmFile_;
};
