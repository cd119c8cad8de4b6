#pragma once

#include <gtest/gtest.h>
#include <QPoint>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <memory>
#include <vector>

// A private X display (Xvfb), optionally with a notification area (trayer), and a private
// system bus, optionally with a stand-in logind (python3-dbusmock) that records its calls.
class DesktopSession {
  public:
    DesktopSession();
    ~DesktopSession();

    bool start(bool withTray, bool withLogind);
    // A private session bus with a stand-in notification server (python3-dbusmock) that
    // records the notifications; needs no display.
    bool startNotificationServer();
    // The Notify calls the stand-in received, one line each, in order.
    QStringList notifications() const;
    QProcessEnvironment environment() const;
    QString display() const { return display_; }

    // "IsViewable", "IsUnMapped", or empty when no window has that title.
    QString mapState(const QString& title) const;
    // Waits (a base on an idle machine, longer on a busy one) until the window with that title
    // is shown; fails with the windows the display has instead.
    ::testing::AssertionResult waitUntilShown(const QString& title, int baseMs = 10000) const;
    // The display's top-level windows with a name, for a failure message.
    QString windows() const;
    // Icons docked in the notification area.
    int trayIcons() const;
    // The stand-in logind's log of method calls.
    QString logindCalls() const;
    // What ListInhibitors answers, one "what|who|why|mode" per inhibitor.
    QStringList inhibitors() const;
    // Saves the screen as PNG.
    bool screenshot(const QString& pngPath) const;
    // The top-left corner of the window with that title on the screen; (-1, -1) when none.
    QPoint windowOrigin(const QString& title) const;
    // A left click at that point of the screen (xdotool).
    bool click(const QPoint& at) const;

  private:
    bool startServices(bool withTray, bool withLogind);
    // A dbus-daemon of its own, ended with the session; its address, or empty.
    QString startPrivateBus(const QProcessEnvironment& env);
    QProcess* launch(const QString& program, const QStringList& arguments,
                     const QProcessEnvironment& env, bool readOutput = false);
    QString run(const QString& program, const QStringList& arguments) const;

    QTemporaryDir folder_;
    QString display_;
    QString systemBus_;
    QString sessionBus_;
    QString failedStep_;
    std::vector<std::unique_ptr<QProcess>> processes_;
};

// Polls every 50 ms until `ready` holds; false when it still does not once `baseMs` have
// passed, times machineBusyFactor() (read as the wait goes on).
bool waitUntil(const std::function<bool()>& ready, int baseMs);
