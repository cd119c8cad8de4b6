#pragma once

#include <QObject>
#include <QThread>
#include <memory>

#include "audio/engine_checks.h"
#include "core/holidays/holiday_calendar.h"
#include "core/immediate/immediate_player.h"
#include "core/immediate/immediate_store.h"
#include "core/immediate/playlist_model.h"
#include "core/immediate/timed_ducking.h"
#include "core/moving/moving_in.h"
#include "core/settings/system_settings.h"
#include "core/storage/app_paths.h"
#include "core/support/clock.h"
#include "core/support/command_line.h"
#include "core/timed/dispatcher.h"
#include "core/timed/play_log.h"
#include "core/timed/programme_table.h"
#include "core/timed/run_engine.h"
#include "core/timed/tick_timer.h"
#include "core/timed/timetable_switch.h"
#include "platform/session_services.h"

class BellWatch;
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
    TimetableSwitch& timetableSwitch() { return timetableSwitch_; }
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
    // The immediate playlist or the settings were replaced (an import): their page shows
    // them anew.
    void reloadPlaylist();
    void reloadSettings();

  signals:
    void finished();
    // After reloadTimetable: the pages that list holidays or programmes refill here.
    void timetableReloaded();

  private:
    void createWindow();
    bool checkAudioEngine();
    QString helpOffer() const;
    void showStartupFailure(const QString& text);
    void loadDataFiles();
    void fadeOutEverything();
    void log(const QString& text);

    AppPaths paths_;
    bool headless_;
    SystemClock clock_;
    PlayLog playLog_;
    SystemSettings settings_ = firstRunSettings();
    ProgrammeTable programmes_;
    ProgrammeListModel programmeList_{programmes_, clock_};
    HolidayCalendar calendar_;
    GstAudioBackend backend_;
    RunEngine runs_;
    Dispatcher dispatcher_;
    ImmediateStore immediateStore_;
    PlaylistModel playlist_;
    RunEngineDucking ducking_;
    ImmediatePlayer immediate_;
    TickTimer tickTimer_;
    TimetableSwitch timetableSwitch_;
    MovingIn movingIn_;
    LogindPower power_;
    SleepInhibitor inhibitor_;
    std::unique_ptr<MainWindow> window_;
    std::unique_ptr<QThread> warmUp_;
    TimedPage* timedPage_ = nullptr;
    HolidaysPage* holidaysPage_ = nullptr;
    ImmediatePage* immediatePage_ = nullptr;
    SettingsPage* settingsPage_ = nullptr;
    bool shutDown_ = false;
    // Last, so that it stops listening before the engines go.
    std::unique_ptr<BellWatch> bellWatch_;
};
