#pragma once

#include <QString>

// The start-with-logon options. They live only in the user's XDG autostart entry, whose Exec
// value is the program's path in double quotes followed by the start argument.
struct AutoStartOptions {
    bool autoStart = false;
    bool minimised = false;  // that start hides the window in the tray
    bool locked = false;     // that start locks the screen
};

inline const QString kAutostartFileName = QStringLiteral("KelvoraBroadcasting.desktop");

// $XDG_CONFIG_HOME/autostart, or ~/.config/autostart when it is unset or empty.
QString autostartFolder();

// The Exec value for the options: the quoted path, then " 3", " 1", " 2" or nothing.
QString autostartCommand(const QString& programPath, const AutoStartOptions& options);
// What an Exec value means for this program. A value that does not start with this program's
// path (quoted, or bare when the path has no blank) belongs to something else: all off.
AutoStartOptions parseAutostartCommand(const QString& command, const QString& programPath);

// The entry file of one program in one autostart folder.
class AutostartEntry {
  public:
    AutostartEntry(const QString& folder, const QString& programPath);

    QString path() const;
    // An absent entry, or one without an Exec value, is all off. False with the system's text
    // when the entry exists but cannot be read.
    bool read(AutoStartOptions& options, QString& systemText) const;
    // Writes the entry in one step (a temporary beside it, renamed over it), or removes it
    // when autoStart is off. False with the system's text; the old entry then stays.
    bool write(const AutoStartOptions& options, QString& systemText) const;

    // A program whose path the desktop's launchers would read differently (a backslash, a
    // quote, "$") is started through a link beside the entry that points to it.
    QString launcherPath() const;
    // The Exec value written for the options.
    QString command(const AutoStartOptions& options) const;

  private:
    bool needsLauncher() const;
    AutoStartOptions parse(const QString& exec) const;

    QString folder_;
    QString programPath_;
};
