#pragma once

#include <QObject>
#include <QThread>
#include <memory>

#include "audio/engine_checks.h"
#include "holidays/holiday_calendar.h"
#include "platform/session_services.h"
#include "settings/system_settings.h"
#include "storage/app_paths.h"
#include "support/clock.h"
#include "support/command_line.h"
#include "timed/dispatcher.h"
#include "timed/play_log.h"
#include "timed/programme_table.h"
#include "timed/run_engine.h"
#include "timed/tick_timer.h"

class HolidaysPage;
class MainWindow;
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
    MainWindow* window() const { return window_.get(); }
    bool holdsSleepInhibitor() const { return inhibitor_.isHeld(); }
    // The last-resort failure: nothing new may start while its message is shown.
    void disableAllProgrammes();
    bool isShutDown() const { return shutDown_; }

  public slots:
    // A second copy asked this one to come forward.
    void activate();

  signals:
    void finished();

  private:
    void createWindow();
    bool checkAudioEngine();
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
    TickTimer tickTimer_;
    SleepInhibitor inhibitor_;
    std::unique_ptr<MainWindow> window_;
    std::unique_ptr<QThread> warmUp_;
    TimedPage* timedPage_ = nullptr;
    HolidaysPage* holidaysPage_ = nullptr;
    bool shutDown_ = false;
};
