#pragma once

#include <QObject>
#include <QThread>
#include <QTimer>
#include <memory>

#include "audio/alarm_siren.h"
#include "audio/engine_checks.h"
#include "audio/live_route.h"
#include "core/announcement/announcement.h"
#include "core/emergency/emergency_alarm.h"
#include "core/holidays/holiday_calendar.h"
#include "core/immediate/immediate_player.h"
#include "core/immediate/immediate_store.h"
#include "core/immediate/playlist_model.h"
#include "core/moving/moving_in.h"
#include "core/settings/shutdown_scheduler.h"
#include "core/settings/system_settings.h"
#include "core/storage/app_paths.h"
#include "core/storage/data_folder_watch.h"
#include "core/support/clock.h"
#include "core/support/command_line.h"
#include "core/timed/dispatcher.h"
#include "core/timed/play_log.h"
#include "core/timed/programme_table.h"
#include "core/timed/run_engine.h"
#include "core/timed/tick_timer.h"
#include "core/timed/timetable_switch.h"
#include "core/zones/zone_setup.h"
#include "platform/desktop_notifications.h"
#include "platform/session_services.h"

class BellWatch;
class RemoteControl;
class HolidaysPage;
class ImmediatePage;
class MainWindow;
class SettingsPage;
class TimedPage;

// The program's spine: the start-up order, the running state and the orderly exit. It owns
// the tables and the engines for the whole run.
class Program : public QObject {
    Q_OBJECT
  public:
    Program(const AppPaths& paths, bool headless, QObject* parent = nullptr);
    ~Program() override;

    // Runs the start-up steps; false when a check failed (then shutdown has run).
    bool initialise(const StartArguments& arguments);
    // The orderly exit; without the log line when the user's session ends.
    void shutdown(bool sessionEnding);

    const AppPaths& paths() const { return paths_; }
    Clock& clock() { return clock_; }
    PlayLog& playLog() { return playLog_; }
    ProgrammeTable& programmes() { return programmes_; }
    ProgrammeListModel& programmeList() { return programmeList_; }
    HolidayCalendar& calendar() { return calendar_; }
    SystemSettings& settings() { return settings_; }
    RunEngine& runs() { return runs_; }
    Dispatcher& dispatcher() { return dispatcher_; }
    ImmediateStore& immediateStore() { return immediateStore_; }
    PlaylistModel& playlist() { return playlist_; }
    ImmediatePlayer& immediatePlayer() { return immediate_; }
    // The live announcement (喊话) and its input, and the emergency alarm (紧急广播).
    Announcement& announcement() { return announcement_; }
    LiveRoute& liveRoute() { return liveRoute_; }
    EmergencyAlarm& emergency() { return emergency_; }
    AlarmSiren& alarmSound() { return alarmSound_; }
    // The zones (分区); empty without a zone file: one output, the program-wide one.
    const ZoneSetup& zones() const { return zones_; }
    // Saves the new zones and puts them in place; false with the message, nothing changed.
    bool changeZones(const ZoneSetup& zones, QString& message);
    TimetableSwitch& timetableSwitch() { return timetableSwitch_; }
    ShutdownScheduler& shutdowns() { return shutdowns_; }
    RemoteSessionDetector& remoteSession() { return remote_; }
    MovingIn& movingIn() { return movingIn_; }
    MainWindow* window() const { return window_.get(); }
    ImmediatePage* immediatePage() const { return immediatePage_; }
    BellWatch& bellWatch() { return *bellWatch_; }
    bool holdsSleepInhibitor() const { return inhibitor_.isHeld(); }
    // The last-resort failure: nothing new may start while its message is shown.
    void disableAllProgrammes();
    bool isShutDown() const { return shutDown_; }

  public slots:
    // A second copy asked this one to come forward.
    void activate();
    // The programmes and the holiday calendar were replaced (a restored backup): every list
    // that shows them is filled again.
    void reloadTimetable();
    // Every data file read again as at start-up (D-Bus Reload(), --reload); one that fails its
    // checks is shown and leaves its table in memory as it is.
    void reloadDataFiles();
    void reloadDataFile(const QString& name);
    // The immediate playlist or the settings were replaced in memory (an import): their page
    // shows them anew.
    void showReplacedPlaylist();
    void showReplacedSettings();

  signals:
    void finished();
    // After reloadTimetable: the pages that list holidays or programmes refill here.
    void timetableReloaded();
    // The zones changed (edited, or the file replaced): lists that show them refill.
    void zonesChanged();

  private:
    void createWindow();
    bool checkAudioEngine();
    QString helpOffer() const;
    void showStartupFailure(const QString& text);
    void loadDataFiles();
    void fadeOutEverything();
    // Told on the desktop, the window's button and standard error.
    void showEmergency(bool sounding);
    // Every half second: the remote-session check and the shutdown schedules.
    void settingsTick();
    // Without a window the countdown is told as a notification and on standard error.
    void announceCountdown(ShutdownMode mode);
    void log(const QString& text);
    static QStringList dataFileNames();
    bool reloadSettings(QString& message);
    bool reloadPlaylist(QString& message);
    bool reloadZones(QString& message);

    AppPaths paths_;
    bool headless_;
    SystemClock clock_;
    PlayLog playLog_;
    SystemSettings settings_ = firstRunSettings();
    ZoneSetup zones_;
    ProgrammeTable programmes_;
    ProgrammeListModel programmeList_{programmes_, clock_};
    HolidayCalendar calendar_;
    GstAudioBackend backend_;
    RunEngine runs_;
    Dispatcher dispatcher_;
    ImmediateStore immediateStore_;
    PlaylistModel playlist_;
    ImmediatePlayer immediate_;
    LiveRoute liveRoute_;
    Announcement announcement_;
    AlarmSiren alarmSound_;
    EmergencyAlarm emergency_;
    TickTimer tickTimer_;
    TimetableSwitch timetableSwitch_;
    MovingIn movingIn_;
    LogindPower power_;
    ShutdownScheduler shutdowns_;
    RemoteSessionDetector remote_;
    QTimer settingsTick_;
    DesktopNotifications notifications_;
    SleepInhibitor inhibitor_;
    std::unique_ptr<MainWindow> window_;
    std::unique_ptr<QThread> warmUp_;
    TimedPage* timedPage_ = nullptr;
    HolidaysPage* holidaysPage_ = nullptr;
    ImmediatePage* immediatePage_ = nullptr;
    SettingsPage* settingsPage_ = nullptr;
    bool shutDown_ = false;
    bool playlistReloadPending_ = false;
    DataFolderWatch dataWatch_;
    std::unique_ptr<RemoteControl> remoteControl_;
    // Last, so that it stops listening before the engines go.
    std::unique_ptr<BellWatch> bellWatch_;
};
