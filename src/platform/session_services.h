#pragma once

#include <QDBusUnixFileDescriptor>
#include <QString>

// Keeps the machine awake while the program runs: a logind "sleep:idle" inhibitor whose
// descriptor is held until release. Without logind nothing happens and nothing is reported.
class SleepInhibitor {
  public:
    bool inhibit();
    void release();
    bool isHeld() const { return descriptor_.isValid(); }

  private:
    QDBusUnixFileDescriptor descriptor_;
};

// Locks the screen: logind's LockSession for the current session, else the session's screen
// saver. False when neither answered.
bool lockScreen();

// Powers the machine off or restarts it through logind; false with the bus's error text.
bool powerOff(QString& error);
bool reboot(QString& error);

// Whether the user works through a remote session (logind's Remote, SSH, xrdp).
bool isRemoteSession();
