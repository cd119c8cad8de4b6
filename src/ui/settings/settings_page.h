#pragma once

#include <QWidget>
#include <array>

#include "core/settings/shutdown_schedule.h"
#include "core/settings/system_settings.h"
#include "core/storage/app_paths.h"
#include "core/support/clock.h"
#include "platform/autostart_entry.h"
#include "platform/session_services.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;
class QGridLayout;
class QBoxLayout;
class QVBoxLayout;
class MovingIn;
class TimetableSwitch;

// The " 4.设置 (可多路)" page: output device, ducking, start with logon, the scheduled
// shutdown and restart, backup and restore, and the half-second tick that checks the
// schedules and watches for a remote session. Every change is saved at once: the settings
// record to its file, the start options to the autostart entry.
class SettingsPage : public QWidget {
    Q_OBJECT
  public:
    struct Services {
        SystemSettings& settings;
        Clock& clock;
        AppPaths paths;
        QString autostartFolder;  // where the start-with-logon entry lives
        QString programPath;      // the program the entry starts
        SystemPower& power;
        TimetableSwitch& timetable;
        MovingIn* movingIn = nullptr;  // the import from the Windows program
    };
    static constexpr int kTickMs = 500;

    SettingsPage(const Services& services, QWidget* parent = nullptr);

    // The start-up load, after the other pages: the settings file, then the autostart entry.
    void loadData();
    // Fills every control from memory.
    void refresh();
    // Every half second, unless a countdown is open: the remote-session check, then the
    // shutdown schedules.
    void tick();
    // The end of the program: no more ticks.
    void stopTicks();

    const AutoStartOptions& autoStartOptions() const { return options_; }
    QCheckBox* autoStartBox() const { return autoStart_; }
    QCheckBox* minimisedBox() const { return minimised_; }
    QCheckBox* lockedBox() const { return locked_; }
    QLineEdit* deviceText() const { return deviceText_; }
    QLabel* duckingText() const { return duckingText_; }

    QCheckBox* scheduleBox(ShutdownSchedule schedule) const;
    QLineEdit* scheduleText(ShutdownSchedule schedule) const;
    QPushButton* scheduleButton(ShutdownSchedule schedule) const;
    const ShutdownMarks& marks() const { return marks_; }
    bool isCountdownOpen() const { return countdownOpen_; }
    // Tests count faster than 950 ms.
    void setCountdownStepMs(int milliseconds) { countdownStepMs_ = milliseconds; }

    // "选取…", "修改…", a schedule's "…" and "节目备份与还原 / 作息表切换".
    void chooseDevice();
    void changeDucking();
    void editSchedule(ShutdownSchedule schedule);
    void openBackup();
    // "从 Windows 版导入…".
    void openWindowsImport();
    // The countdown, modal; at most one at a time.
    void showShutdownCountdown(ShutdownMode mode);

  signals:
    // "最小化到托盘".
    void minimiseToTrayRequested();
    // Once, when the program is found to run in a remote session.
    void remoteSessionDetected();
    // A countdown is about to open: a window hidden in the tray or minimised comes back.
    void windowWanted();
    // The system accepted a power-off or restart: the session is ending.
    void systemGoingDown();
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
    RemoteSessionDetector remote_;
    QTimer* timer_;
    QBoxLayout* columns_;
    QVBoxLayout* startColumn_;
    QVBoxLayout* otherColumn_;
    QCheckBox* autoStart_;
    QCheckBox* minimised_;
    QCheckBox* locked_;
    QLineEdit* deviceText_;
    QLabel* duckingText_;
    struct ScheduleRow {
        QCheckBox* box;
        QLineEdit* text;
        QPushButton* more;
    };
    std::array<ScheduleRow, 3> schedules_{};
    ShutdownMarks marks_;
    bool countdownOpen_ = false;
    int countdownStepMs_;
};
