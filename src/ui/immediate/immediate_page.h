#pragma once

#include <QWidget>
#include <array>

#include "core/announcement/announcement.h"
#include "core/immediate/immediate_player.h"
#include "core/immediate/import_job.h"
#include "core/storage/app_paths.h"
#include "core/zones/zone_edits.h"

class HyperLink;
class LiveRoute;
class QBoxLayout;
class QComboBox;
class QHBoxLayout;
class QLabel;
class QPushButton;
class QSlider;
class QTreeView;
class TickTimer;

// The " 2.立即播" page: the playlist and its commands, start and stop, the volume and position
// sliders and the play mode. It owns the 50 ms tick of immediate play. Every change of the
// playlist or its settings is written at once.
class ImmediatePage : public QWidget {
    Q_OBJECT
  public:
    struct Services {
        ImmediateStore& store;
        PlaylistModel& playlist;
        ImmediatePlayer& player;
        DurationProbe probe;
        AppPaths paths;
        // The zones and how to change them; without zones the choice is not shown.
        const ZoneSetup* zones = nullptr;
        ZoneChange changeZones;
        // "喊话…": the announcement and its input; without them the button is off.
        Announcement* announcement = nullptr;
        LiveRoute* route = nullptr;
    };
    explicit ImmediatePage(const Services& services, QWidget* parent = nullptr);
    ~ImmediatePage() override;

    QTreeView* playlistView() const { return list_; }
    QPushButton* startButton() const { return start_; }
    QPushButton* stopButton() const { return stop_; }
    QPushButton* announceButton() const { return announce_; }
    QLabel* statusLabel() const { return status_; }
    QLabel* volumeLabel() const { return volumeText_; }
    QSlider* volumeSlider() const { return volume_; }
    QSlider* positionSlider() const { return position_; }
    QLabel* positionLabel() const { return positionText_; }
    QComboBox* modeSelector() const { return mode_; }
    HyperLink* remoteLink() const { return remoteLink_; }
    HyperLink* zonesLink() const { return zonesLink_; }
    TickTimer& ticks() const { return *ticks_; }

    // After start-up loaded the settings: the current row in view, the volume and the mode.
    void showLoaded();
    // Shown once a remote session is detected; never hidden again.
    void showRemoteSessionHint();
    // The zones changed: the link names where immediate play sounds, shown only with zones.
    void refreshZones();
    // "播放分区…": where immediate play sounds, saved in the zone file.
    void chooseZones();

    // The commands of the buttons, the menu and the keys.
    void startPlay();
    void playRow();
    void stopPlay();
    // "喊话…".
    void openAnnouncement();
    void addFiles();
    void addFolder();
    void deleteSelected();
    void moveUp();
    void moveDown();
    enum class SortOrder { NameAscending, NameDescending, TypeAscending, TypeDescending, Shuffle };
    void sortPlaylist(SortOrder order);
    void clearPlaylist();
    void openContainingFolder();
    // Dropped files and folders, as the drop handler takes them.
    void dropPaths(const QStringList& paths);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    void buildControls();
    void buildLinks();
    void buildMenu();
    void connectPlayer();
    QList<int> selectedRows() const;
    void selectRow(int row, bool scroll = true);
    void revealRow(int row);
    bool refuseWhenFull();
    bool importTracks(const QList<ImportSource>& sources);
    void openLimitDialog();
    bool save();
    void setVolumeFromSlider(int value);
    void changeMode(int mode);
    void seekFromSlider();

    Services s_;
    TickTimer* ticks_;
    QLabel* banner_;
    QLabel* listLabel_;
    QTreeView* list_;
    QPushButton* up_;
    QPushButton* down_;
    QPushButton* add_;
    QPushButton* delete_;
    QPushButton* start_;
    QPushButton* stop_;
    QPushButton* announce_;
    QLabel* status_;
    QLabel* doubleClickHint_;
    QLabel* volumeText_;
    QLabel* volumeDefault_;
    QSlider* volume_;
    QComboBox* mode_;
    QSlider* position_;
    QLabel* positionText_;
    QLabel* tipsLabel_;
    HyperLink* moreLink_;
    HyperLink* downloadLink_;
    HyperLink* silentLink_;
    HyperLink* remoteLink_;
    HyperLink* zonesLink_;
    QList<HyperLink*> tipLinks_;
    QBoxLayout* tipLines_ = nullptr;
    std::array<QHBoxLayout*, 2> tipPairs_{};
};
