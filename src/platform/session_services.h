#pragma once

#include <QDBusMessage>
#include <QDBusUnixFileDescriptor>
#include <QObject>
#include <QString>
#include <functional>

#include "core/settings/shutdown_schedule.h"

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

// Powers the machine off or restarts it through logind (PowerOff(false), Reboot(false)):
// the program asks no questions itself. False with what failed, in Chinese, and the bus's
// own words after it.
class LogindPower : public SystemPower {
  public:
    bool powerOff(QString& error) override;
    bool reboot(QString& error) override;
};

// What a failed call to logind means to the user: a line that says what failed, then the
// system's own text on the next line.
QString powerFailureText(const QString& errorName, const QString& errorMessage);

// Notices that the user works through a remote session: SSH or xrdp in the environment, or
// logind's Remote property of this session, asked without ever waiting on the bus.
class RemoteSessionDetector : public QObject {
    Q_OBJECT
  public:
    using QObject::QObject;
    // Starts one look unless one is under way or the session was found remote already.
    void check();
    bool isRemote() const { return remote_; }

  signals:
    // Once, when the session is first found remote.
    void remoteSessionDetected();

  private:
    // Sends the call; the handler gets a reply that carries arguments, nothing else does.
    void ask(const QDBusMessage& call, const std::function<void(const QDBusMessage&)>& onReply);
    void askForSession();
    void askWhetherRemote();
    void setRemote();

    QString sessionPath_;
    bool pending_ = false;
    bool remote_ = false;
};
