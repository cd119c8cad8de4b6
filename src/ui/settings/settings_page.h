#pragma once

#include <QPointer>
#include <QWidget>
#include <array>

#include "core/settings/shutdown_scheduler.h"
#include "core/settings/system_settings.h"
#include "core/storage/app_paths.h"
#include "core/support/clock.h"
#include "core/zones/zone_edits.h"
#include "platform/autostart_entry.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QGridLayout;
class QBoxLayout;
class QVBoxLayout;
class EmergencyAlarm;
class MovingIn;
class TimetableSwitch;
class ZonesDialog;

// The " 4.设置 (可多路)" page: output device, ducking, start with logon, the scheduled
// shutdown and restart (and their countdown, which the program's scheduler runs), backup and
// restore. Every change is saved at once: the settings record to its file, the start options
// to the autostart entry.
class SettingsPage : public QWidget {
    Q_OBJECT
  public:
    struct Services {
        SystemSettings& settings;
        Clock& clock;
        AppPaths paths;
        QString autostartFolder;  // where the start-with-logon entry lives
        QString programPath;      // the program the entry starts
        ShutdownScheduler& shutdowns;
        TimetableSwitch& timetable;
        MovingIn* movingIn = nullptr;  // the import from the Windows program
        // The zones and how to change them; without them "分区…" is not offered.
        const ZoneSetup* zones = nullptr;
        ZoneChange changeZones;
        EmergencyAlarm* emergency = nullptr;  // whose alarm the page chooses
    };
    SettingsPage(const Services& services, QWidget* parent = nullptr);

    // The start-up load, after the other pages: the settings file, then the autostart entry.
    void loadData();
    // Fills every control from memory.
    void refresh();

    const AutoStartOptions& autoStartOptions() const { return options_; }
    QCheckBox* autoStartBox() const { return autoStart_; }
    QCheckBox* minimisedBox() const { return minimised_; }
    QCheckBox* lockedBox() const { return locked_; }
    QLineEdit* deviceText() const { return deviceText_; }
    QLabel* duckingText() const { return duckingText_; }
    QLineEdit* zonesText() const { return zonesText_; }
    QLineEdit* alarmText() const { return alarmText_; }

    QCheckBox* scheduleBox(ShutdownSchedule schedule) const;
    QLineEdit* scheduleText(ShutdownSchedule schedule) const;
    QPushButton* scheduleButton(ShutdownSchedule schedule) const;

    // "选取…", "修改…", a schedule's "…" and "节目备份与还原 / 作息表切换".
    void chooseDevice();
    void changeDucking();
    void editSchedule(ShutdownSchedule schedule);
    void openBackup();
    // The scheduler's countdown in its dialog, modal; the window comes forward first.
    void showCountdown();
    // "从 Windows 版导入…".
    void openWindowsImport();
    // "分区…", modal.
    void editZones();
    // The zones changed (edited, or the file replaced): their line and an open dialog follow.
    void refreshZones();
    ZonesDialog* zonesDialog() const;
    // The emergency alarm: a file of the user's ("选取…"), or the built-in one ("自带").
    void chooseAlarm(const QString& path);

  signals:
    // "最小化到托盘".
    void minimiseToTrayRequested();
    // A countdown is about to open: a window hidden in the tray or minimised comes back.
    void windowWanted();
    // A setting was changed (the output device among them), before it is written.
    void settingsChanged();

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    QVBoxLayout* buildStartColumn();
    QVBoxLayout* buildOtherColumn();
    QGridLayout* buildScheduleRows();
    void refreshSchedules();
    void scheduleClicked(ShutdownSchedule schedule, bool checked);
    void autoStartClicked(bool checked);
    void writeAutoStart();
    bool save();

    Services s_;
    AutostartEntry entry_;
    AutoStartOptions options_;
    QBoxLayout* columns_;
    QVBoxLayout* startColumn_;
    QVBoxLayout* otherColumn_;
    QCheckBox* autoStart_;
    QCheckBox* minimised_;
    QCheckBox* locked_;
    QLineEdit* deviceText_;
    QLabel* duckingText_;
    QLineEdit* zonesText_;
    QPointer<ZonesDialog> zonesDialog_;
    QLineEdit* alarmText_ = nullptr;
    struct ScheduleRow {
        QCheckBox* box;
        QLineEdit* text;
        QPushButton* more;
    };
    std::array<ScheduleRow, 3> schedules_{};
};
