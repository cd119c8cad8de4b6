#pragma once

#include <QObject>

#include "app/app_paths.h"
#include "app/command_line.h"
#include "support/clock.h"
#include "timed/play_log.h"

// The program's spine: the start-up order, the running state and the orderly exit.
class Program : public QObject {
    Q_OBJECT
  public:
    Program(const AppPaths& paths, bool headless, QObject* parent = nullptr);
    ~Program() override;

    // Runs the start-up steps; false when a check failed (then shutdown has run).
    bool initialise(const StartArguments& arguments);
    // The orderly exit; without the log line when the user's session ends.
    void shutdown(bool sessionEnding);

    const AppPaths& paths() const { return paths_; }
    PlayLog& playLog() { return playLog_; }
    bool isShutDown() const { return shutDown_; }

  public slots:
    // A second copy asked this one to come forward.
    void activate();

  signals:
    void finished();

  private:
    void log(const QString& text);

    AppPaths paths_;
    bool headless_;
    SystemClock clock_;
    PlayLog playLog_;
    bool shutDown_ = false;
};
