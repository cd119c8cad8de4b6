#pragma once

#include <QWidget>

#include "platform/autostart_entry.h"
#include "platform/session_services.h"
#include "settings/system_settings.h"
#include "storage/app_paths.h"
#include "support/clock.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;
class QVBoxLayout;

// The " 4.设置 (可多路)" page: output device, ducking, start with logon, and the half-second
// tick that watches for a remote session. Every change is saved at once: the settings record
// to its file, the start options to the autostart entry.
class SettingsPage : public QWidget {
    Q_OBJECT
  public:
    struct Services {
        SystemSettings& settings;
        Clock& clock;
        AppPaths paths;
        QString autostartFolder;  // where the start-with-logon entry lives
        QString programPath;      // the program the entry starts
    };
    static constexpr int kTickMs = 500;

    SettingsPage(const Services& services, QWidget* parent = nullptr);

    // The start-up load, after the other pages: the settings file, then the autostart entry.
    void loadData();
    // Fills every control from memory.
    void refresh();
    // Every half second: the remote-session check.
    void tick();
    // The end of the program: no more ticks.
    void stopTicks();

    const AutoStartOptions& autoStartOptions() const { return options_; }
    QCheckBox* autoStartBox() const { return autoStart_; }
    QCheckBox* minimisedBox() const { return minimised_; }
    QCheckBox* lockedBox() const { return locked_; }
    QLineEdit* deviceText() const { return deviceText_; }
    QLabel* duckingText() const { return duckingText_; }

    // "选取…" and "修改…".
    void chooseDevice();
    void changeDucking();

  signals:
    // "最小化到托盘".
    void minimiseToTrayRequested();
    // Once, when the program is found to run in a remote session.
    void remoteSessionDetected();

  private:
    QVBoxLayout* buildStartColumn();
    QVBoxLayout* buildOtherColumn();
    void autoStartClicked(bool checked);
    void writeAutoStart();
    bool save();

    Services s_;
    AutostartEntry entry_;
    AutoStartOptions options_;
    RemoteSessionDetector remote_;
    QTimer* timer_;
    QCheckBox* autoStart_;
    QCheckBox* minimised_;
    QCheckBox* locked_;
    QLineEdit* deviceText_;
    QLabel* duckingText_;
};
