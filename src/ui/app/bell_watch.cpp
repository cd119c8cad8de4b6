#include "ui/app/bell_watch.h"

#include "audio/music_check.h"
#include "core/holidays/adjusted_day_list_model.h"
#include "core/holidays/holiday_list_model.h"
#include "core/timed/play_log.h"
#include "core/timed/programme_list_model.h"
#include "core/timed/run_engine.h"
#include "ui/app/main_window.h"
#include "ui/app/tray_area.h"
#include "ui/holidays/holidays_page.h"
#include "ui/timed/timed_page.h"

namespace {

// Today's view follows the clock second by second.
constexpr int kClockMs = 1000;

}  // namespace

BellWatch::BellWatch(const Sources& s, QObject* parent)
    : QObject(parent),
      watch_(s.runs.nowPlaying()),
      today_(s.programmes.table(), s.calendar, s.clock, watch_),
      check_(s.programmes.table(), s.calendar, s.settings, s.clock, musicPathProblem,
             outputDeviceProblem),
      alerts_(notifications_, s.clock) {
    connect(&s.playLog, &PlayLog::reported, &watch_, &RunWatch::noteReport);
    connect(&watch_, &RunWatch::runReported, &alerts_, &FailureAlerts::runReported);
    connect(&check_, &BellCheck::checked, &today_, &TodayModel::setProblems);
    connect(&check_, &BellCheck::checked, &alerts_, &FailureAlerts::problemsFound);
    connect(&check_, &BellCheck::pathsChecked, &s.programmes, &ProgrammeListModel::setPathProblems);
    follow(&s.programmes);
    clock_.setInterval(kClockMs);
    connect(&clock_, &QTimer::timeout, this, [this] {
        today_.update();
        check_.update();
    });
}

void BellWatch::follow(QAbstractItemModel* model) {
    for (auto signal : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved}) {
        connect(model, signal, this, &BellWatch::timetableChanged);
    }
    connect(model, &QAbstractItemModel::rowsMoved, this, &BellWatch::timetableChanged);
    connect(model, &QAbstractItemModel::modelReset, this, &BellWatch::timetableChanged);
    connect(model, &QAbstractItemModel::layoutChanged, this, &BellWatch::timetableChanged);
    connect(model, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex&, const QModelIndex&, const QList<int>& roles) {
                // The check's own marks change no start.
                if (roles != QList<int>{Qt::ForegroundRole, Qt::ToolTipRole}) {
                    timetableChanged();
                }
            });
}

void BellWatch::attach(MainWindow* window, TimedPage* timed, HolidaysPage* holidays) {
    if (window != nullptr) {
        TrayArea* tray = &window->tray();
        alerts_.setWindow(window, tray);
        connect(&today_, &TodayModel::nextStartChanged, tray, &TrayArea::setNextStart);
        tray->setNextStart(today_.nextStartText());
    }
    if (timed != nullptr) {
        timed->setTodayModel(&today_);
    }
    if (holidays != nullptr) {
        follow(holidays->holidayModel());
        follow(holidays->adjustedDayModel());
    }
}

void BellWatch::start() {
    today_.rebuild();
    check_.runNow();
    clock_.start();
}

void BellWatch::settingsChanged() {
    check_.request();
}

void BellWatch::timetableChanged() {
    if (!clock_.isActive()) {
        return;  // still loading: start() looks at everything once
    }
    today_.rebuild();
    check_.request();
}
