#pragma once

#include <QDialog>
#include <QTimer>

#include "core/holidays/holiday_calendar.h"
#include "core/support/clock.h"
#include "core/timed/programme_list_model.h"
#include "core/timed/track_lengths.h"
#include "core/timed/week_plan.h"

class QAbstractItemModel;
class QLabel;
class QPushButton;
class WeekView;

// "一周概览": the week of the timetable as a picture, from Monday to Sunday, with the week
// before and after, printing and PDF. It follows the timetable and the holidays while open.
class WeekDialog : public QDialog {
    Q_OBJECT
  public:
    struct Sources {
        const ProgrammeListModel& programmes;
        const HolidayCalendar& calendar;
        const Clock& clock;
    };
    WeekDialog(const Sources& sources, QWidget* parent = nullptr);

    void showWeekOf(const LocalDateTime& day);
    void previousWeek();
    void nextWeek();
    void thisWeek();
    void print();
    void exportPdf();

    const WeekPlan& plan() const { return plan_; }
    WeekView* view() const { return view_; }
    const TrackLengths& lengths() const { return lengths_; }

  public slots:
    // The timetable or the holidays changed: the week is drawn anew once events are handled.
    void replanSoon();

  signals:
    // A block was clicked: the row of its programme in the list.
    void programmeChosen(int row);

  private:
    // Every change of the model draws the week anew.
    void follow(const QAbstractItemModel* model);
    void replan();
    void applyKnownLengths();
    void blockClicked(int row);

    Sources s_;
    LocalDateTime monday_;
    WeekPlan plan_;
    TrackLengths lengths_;
    QTimer replanSoon_;
    QTimer lengthsSoon_;
    QLabel* range_;
    QLabel* status_;
    WeekView* view_;
};
