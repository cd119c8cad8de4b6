#pragma once

#include <QPointer>
#include <QWidget>

#include "core/storage/app_paths.h"
#include "core/support/clock.h"
#include "core/timed/dispatcher.h"
#include "core/timed/log_rows_model.h"
#include "core/timed/programme_list_model.h"
#include "core/zones/zone_edits.h"

class HyperLink;
class LogViewerDialog;
class QLabel;
class QTreeView;
class TodayDialog;
class TodayModel;
class WeekDialog;

// The " 1.定时播" page: the programme list, the runs now playing and the latest log lines.
// Every change of the programmes is written to the timed-play file at once.
class TimedPage : public QWidget {
    Q_OBJECT
  public:
    struct Services {
        ProgrammeListModel& programmes;
        RunEngine& runs;
        Dispatcher& dispatcher;
        LogRowsModel& logRows;
        AppPaths paths;
        // For the week at a glance; without them its link is not shown.
        const HolidayCalendar* calendar = nullptr;
        const Clock* clock = nullptr;
        // The zones and how to change them; without them the editor has no zone row.
        const ZoneSetup* zones = nullptr;
        ZoneChange changeZones;
    };
    TimedPage(const Services& services, QWidget* parent = nullptr);

    QTreeView* programmeList() const { return programmes_; }
    QTreeView* nowPlayingList() const { return nowPlaying_; }
    QTreeView* logList() const { return log_; }

    // Shown once a remote session is detected; never hidden again.
    void showRemoteSessionHint();
    // Today's starts, opened by the link "今天 …" beside "节目单:".
    void setTodayModel(TodayModel* model);
    void showToday();
    TodayDialog* todayDialog() const;
    // The week at a glance, opened by the link "一周概览"; a click on a start opens its editor.
    void showWeek();
    WeekDialog* weekDialog() const;

    // The commands of the context menus.
    void addProgramme();
    void modifyProgramme();
    void deleteProgrammes();
    void enableProgrammes();
    void disableProgrammes();
    void moveUp();
    void moveDown();
    enum class SortOrder { NameAscending, NameDescending, TimeAscending, TimeDescending };
    void sortProgrammes(SortOrder order);
    void manualPlay();
    void stopSelectedRuns();
    void openLog();
    // The program's own log viewer, also when the desktop has no program for text files.
    void showLogViewer();
    LogViewerDialog* logViewer() const;

  signals:
    // Each write of the timed-play file, successful or not.
    void saved();

  protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // The programme list's columns at their widths; when the list is narrower, the content
    // column (a long path, read least at a glance) gives way first, so the date range shows
    // whole.
    void fitProgrammeColumns();
    void placeZonesColumn();
    void buildLists();
    void buildMenus();
    QList<int> selectedRows(QTreeView* list) const;
    void selectRows(const QList<int>& rows);
    bool save();
    // The programme saved as `name` (called `before` when the editor opened) plays on
    // `chosen`: a rename carries its zones.
    void saveZonesOf(const QString& before, const QString& name, const QStringList& chosen);
    void changeZones(const ZoneSetup& next);
    void setEnabledFlag(bool disabled, const QString& noSelection);
    void afterMove(const QList<int>& rows, bool up);

    Services s_;
    QLabel* banner_;
    QLabel* programmesLabel_;
    QLabel* playingLabel_;
    QLabel* logLabel_;
    HyperLink* addLink_;
    HyperLink* stopLink_;
    HyperLink* troubleLink_;
    HyperLink* moreLink_;
    HyperLink* remoteLink_;
    HyperLink* todayLink_;
    HyperLink* weekLink_;
    TodayModel* todayModel_ = nullptr;
    QPointer<TodayDialog> today_;
    QPointer<WeekDialog> week_;
    QPointer<LogViewerDialog> logViewer_;
    QTreeView* programmes_;
    QWidget* programmesViewport_ = nullptr;  // watched for its size
    QTreeView* nowPlaying_;
    QTreeView* log_;
};
