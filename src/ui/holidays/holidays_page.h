#pragma once

#include <QList>
#include <QWidget>
#include <functional>

#include "core/holidays/holiday_calendar.h"
#include "core/storage/app_paths.h"

class AdjustedDayListModel;
class CalendarListModel;
class HolidayListModel;
class QMenu;
class QPushButton;
class QTreeView;

// The " 3.节假日~调休" page: the holidays and the adjusted days of the calendar the program
// owns, each list with its buttons, menu and dialog. Every change is written to the file at
// once; the dispatcher reads the same calendar, so it follows from its next tick.
class HolidaysPage : public QWidget {
    Q_OBJECT
  public:
    HolidaysPage(HolidayCalendar& calendar, const AppPaths& paths, QWidget* parent = nullptr);

    QTreeView* holidayList() const { return holidays_.view; }
    QTreeView* adjustedDayList() const { return adjustedDays_.view; }
    HolidayListModel* holidayModel() const { return holidayModel_; }
    AdjustedDayListModel* adjustedDayModel() const { return adjustedDayModel_; }
    QMenu* holidayMenu() const { return holidays_.menu; }
    QMenu* adjustedDayMenu() const { return adjustedDays_.menu; }

    // Both lists anew from the calendar, as after the start-up load.
    void refill();

    void addHoliday();
    void modifyHoliday();
    void deleteHolidays();
    void enableHolidays();
    void disableHolidays();
    void sortHolidaysByName();
    void sortHolidaysByStart();

    void addAdjustedDay();
    void modifyAdjustedDay();
    void deleteAdjustedDays();
    void enableAdjustedDays();
    void disableAdjustedDays();
    void sortAdjustedDaysByDateA();

    // "从日历文件导入…": chooses an iCalendar file for importCalendarFile.
    void importCalendar();
    // The holidays and adjusted days the file adds, shown for a look (and a change of the
    // b dates) before they are added and saved.
    void importCalendarFile(const QString& path);

  signals:
    // Each write of the holiday file, successful or not.
    void saved();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // The texts that differ between the two lists.
    struct ListTexts {
        QString full;
        QString modifyFirst;
        QString deleteFirst;
        QString enableFirst;
        QString disableFirst;
    };
    // One list of the page with what its commands need.
    struct CalendarList {
        QTreeView* view = nullptr;
        CalendarListModel* model = nullptr;
        QMenu* menu = nullptr;
        ListTexts texts;
        QList<int> widthPercents;
        // Opens the dialog for entry i (-1: a new one) and applies it; true on OK.
        std::function<bool(int)> edit;
    };

    QTreeView* makeView(const QString& name, CalendarListModel* model);
    QWidget* makeButtons(const QString& name, const std::function<void()>& add,
                         const std::function<void()>& modify, const std::function<void()>& remove);
    void buildMenus();
    void fitColumns(const CalendarList& list);
    bool editHoliday(int index);
    bool editAdjustedDay(int index);
    void showAppended(const CalendarList& list, int row);

    QList<int> selectedRows(const CalendarList& list) const;
    void add(const CalendarList& list);
    void modify(const CalendarList& list);
    void remove(const CalendarList& list);
    void setDisabled(const CalendarList& list, bool disabled);
    void sort(const CalendarList& list, const std::function<bool()>& sortModel);
    bool save();

    HolidayCalendar& calendar_;
    AppPaths paths_;
    HolidayListModel* holidayModel_;
    AdjustedDayListModel* adjustedDayModel_;
    CalendarList holidays_;
    CalendarList adjustedDays_;
};
