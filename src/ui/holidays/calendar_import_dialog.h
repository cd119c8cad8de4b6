#pragma once

#include <QDialog>

#include "core/holidays/calendar_import.h"

class HolidayListModel;
class ProposedDayListModel;
class QPushButton;
class QTreeView;

// "从日历文件导入": the holidays and adjusted days a calendar file adds, for a look before
// they are added; each b date can be changed (double click). On OK the entries are ready in
// additions(); the page adds them and saves.
class CalendarImportDialog : public QDialog {
    Q_OBJECT
  public:
    CalendarImportDialog(const CalendarImport& proposal, QWidget* parent = nullptr);

    const HolidayCalendar& additions() const { return additions_; }
    QTreeView* holidayList() const { return holidayList_; }
    QTreeView* adjustedDayList() const { return adjustedDayList_; }
    ProposedDayListModel* adjustedDayModel() const { return adjustedDayModel_; }
    QPushButton* okButton() const { return ok_; }

    // Refuses an adjusted day whose b date is its a date.
    void accept() override;

  private:
    HolidayCalendar additions_;
    HolidayListModel* holidayModel_;
    ProposedDayListModel* adjustedDayModel_;
    QTreeView* holidayList_;
    QTreeView* adjustedDayList_;
    QPushButton* ok_;
};
