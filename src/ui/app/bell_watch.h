#pragma once

#include <QObject>
#include <QTimer>

#include "core/timed/bell_check.h"
#include "core/timed/run_watch.h"
#include "core/timed/today_model.h"
#include "platform/desktop_notifications.h"
#include "ui/app/failure_alerts.h"

class HolidaysPage;
class MainWindow;
class PlayLog;
class ProgrammeListModel;
class RunEngine;
class TimedPage;

// What the caretaker sees of today's bells: today's starts with their states, the check
// before the bell, and the notifications of problems and failures. Follows the timetable,
// the holidays, the runs and the clock; the engines are only listened to.
class BellWatch : public QObject {
    Q_OBJECT
  public:
    struct Sources {
        ProgrammeListModel& programmes;
        const HolidayCalendar& calendar;
        const SystemSettings& settings;
        const Clock& clock;
        RunEngine& runs;
        PlayLog& playLog;
    };
    explicit BellWatch(const Sources& sources, QObject* parent = nullptr);

    // The pages and the window, once they exist (never without a display).
    void attach(MainWindow* window, TimedPage* timed, HolidaysPage* holidays);
    // Every model whose change changes today's starts.
    void follow(QAbstractItemModel* model);

    TodayModel& today() { return today_; }
    BellCheck& check() { return check_; }

  public slots:
    // The settings changed (the output device): check again.
    void settingsChanged();
    // All data is loaded: today's starts and the first check.
    void start();

  private:
    void timetableChanged();

    RunWatch watch_;
    TodayModel today_;
    BellCheck check_;
    DesktopNotifications notifications_;
    FailureAlerts alerts_;
    QTimer clock_;
};
