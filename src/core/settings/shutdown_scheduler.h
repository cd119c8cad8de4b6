#pragma once

#include <QObject>
#include <QTimer>

#include "core/settings/shutdown_schedule.h"
#include "core/support/clock.h"

// The scheduled shutdown and restart of the whole program, with or without a window: every
// half second it checks the three schedules, and a due one starts the 60-step countdown,
// after which the machine is asked to power off or restart. A window shows the countdown in
// its dialog (which can cancel it); without one the count runs by itself.
class ShutdownScheduler : public QObject {
    Q_OBJECT
  public:
    static constexpr int kTickMs = 500;
    static constexpr int kSteps = 60;
    static constexpr int kStepMs = 950;

    ShutdownScheduler(const SystemSettings& settings, Clock& clock, SystemPower& power,
                      QObject* parent = nullptr);

    // The half-second check; nothing while a countdown runs.
    void tick();
    // Starts the countdown unless one runs. Whoever shows it hears countdownStarted; with a
    // window that is a modal dialog, so this returns when the count has ended.
    void startCountdown(ShutdownMode mode);
    // "取消": the count stops; the schedule's mark stays, so it does not fire again today.
    void cancel();

    bool isCountingDown() const { return counting_; }
    int remaining() const { return remaining_; }
    ShutdownMode mode() const { return mode_; }
    const ShutdownMarks& marks() const { return marks_; }
    // A schedule ticked again or given a new time may fire again today.
    void rearm(ShutdownSchedule schedule) { marks_.of(schedule) = neverDateTime(); }
    // Tests count faster than 950 ms.
    void setStepMs(int milliseconds) { stepMs_ = milliseconds; }

  signals:
    void countdownStarted(ShutdownMode mode);
    void countdownStep(int remaining);
    // Cancelled, or run out: `goingDown` when the system accepted; `failure` is the message
    // of a refusal, empty otherwise.
    void countdownEnded(bool goingDown, const QString& failure);
    // The system accepted the power-off or restart: the session is ending.
    void systemGoingDown();

  private:
    void step();

    const SystemSettings& settings_;
    Clock& clock_;
    SystemPower& power_;
    ShutdownMarks marks_;
    QTimer steps_;
    int stepMs_ = kStepMs;
    int remaining_ = kSteps;
    ShutdownMode mode_ = ShutdownMode::Shutdown;
    bool counting_ = false;
};
