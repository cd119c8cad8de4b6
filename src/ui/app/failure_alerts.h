#pragma once

#include <QObject>
#include <QSet>
#include <vector>

#include "core/support/clock.h"
#include "core/timed/run_watch.h"
#include "core/timed/today_model.h"

class DesktopNotifications;
class TrayArea;
class QWidget;

// Failures a school must act on are shown, not only logged: each problem the check before the
// bell finds and each failing run raises one desktop notification (the tray icon's balloon
// when no notification server answers, standard error without a desktop), and a failing run
// turns the tray icon to a warning until the window is opened.
class FailureAlerts : public QObject {
    Q_OBJECT
  public:
    // The clock tells which day a start to come falls on.
    FailureAlerts(DesktopNotifications& notifications, const Clock& clock,
                  QObject* parent = nullptr);

    // The window whose opening clears the warning, and its tray icon; both may be absent.
    void setWindow(QWidget* window, TrayArea* tray);

  public slots:
    void problemsFound(const std::vector<StartProblem>& problems);
    void runReported(const ActiveRun& run, RunTextKind kind, const QString& reason);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void notify(const QString& summary, const QString& body, bool urgent);
    void fallBack(const QString& summary, const QString& body);

    DesktopNotifications& notifications_;
    const Clock& clock_;
    QWidget* window_ = nullptr;
    TrayArea* tray_ = nullptr;
    // Problems already told, so that a later check does not tell them again.
    QSet<QString> told_;
};
