#pragma once

#include <QWidget>

#include "storage/app_paths.h"
#include "support/clock.h"
#include "timed/active_run.h"
#include "timed/dispatcher.h"
#include "timed/play_log.h"
#include "timed/programme_table.h"

class HyperLink;
class QLabel;
class QTreeWidget;
class QTreeWidgetItem;

// The " 1.定时播" page: the programme list, the runs now playing and the latest log lines.
// Every change of the programmes is written to the timed-play file at once.
class TimedPage : public QWidget,
                  public NowPlayingView,
                  public ProgrammeStatusView,
                  public TimedLogView {
    Q_OBJECT
  public:
    struct Services {
        ProgrammeTable& table;
        RunEngine& runs;
        Dispatcher& dispatcher;
        Clock& clock;
        AppPaths paths;
    };
    TimedPage(const Services& services, QWidget* parent = nullptr);

    QTreeWidget* programmeList() const { return programmes_; }
    QTreeWidget* nowPlayingList() const { return nowPlaying_; }
    QTreeWidget* logList() const { return log_; }

    // Fills the programme list from the table, as after loading.
    void refill();
    // Shown once a remote session is detected; never hidden again.
    void showRemoteSessionHint();

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

    // The views the engine writes through.
    void appendRow(const QString& name, const QString& progress) override;
    void removeRow(int row) override;
    void clearRows() override;
    void setProgress(int row, const QString& text) override;
    void setCurrentTrack(int row, const QString& text) override;
    void setStatus(int row, const QString& text) override;
    void addLogRow(const LocalDateTime& time, const QString& text) override;

  signals:
    // Each write of the timed-play file, successful or not.
    void saved();

  protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void buildLists();
    void buildMenus();
    void writeRow(int row);
    void appendProgrammeRow();
    QList<int> selectedRows(QTreeWidget* list) const;
    void selectRows(const QList<int>& rows);
    bool save();
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
    QTreeWidget* programmes_;
    QTreeWidget* nowPlaying_;
    QTreeWidget* log_;
    QPoint pressPosition_;
    bool dragHintShown_ = false;
};
