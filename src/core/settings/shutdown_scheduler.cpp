#include "core/settings/shutdown_scheduler.h"

ShutdownScheduler::ShutdownScheduler(const SystemSettings& settings, Clock& clock,
                                     SystemPower& power, QObject* parent)
    : QObject(parent), settings_(settings), clock_(clock), power_(power) {
    steps_.setTimerType(Qt::PreciseTimer);
    connect(&steps_, &QTimer::timeout, this, &ShutdownScheduler::step);
}

void ShutdownScheduler::tick() {
    // With a window the countdown is a modal loop inside an earlier tick.
    if (counting_) {
        return;
    }
    if (const std::optional<ShutdownMode> mode =
            checkShutdownSchedules(settings_, marks_, clock_.now())) {
        startCountdown(*mode);
    }
}

void ShutdownScheduler::startCountdown(ShutdownMode mode) {
    if (counting_) {
        return;
    }
    counting_ = true;
    mode_ = mode;
    remaining_ = kSteps;
    steps_.start(stepMs_);
    emit countdownStarted(mode);
}

void ShutdownScheduler::cancel() {
    if (!counting_) {
        return;
    }
    steps_.stop();
    counting_ = false;
    emit countdownEnded(false, QString());
}

void ShutdownScheduler::step() {
    if (remaining_ > 0) {
        --remaining_;
        emit countdownStep(remaining_);
    }
    if (remaining_ > 0) {
        return;
    }
    steps_.stop();
    QString failure;
    const bool goingDown = shutdownOrRestart(mode_, power_, failure);
    counting_ = false;
    emit countdownEnded(goingDown, goingDown ? QString() : failure);
    if (goingDown) {
        emit systemGoingDown();
    }
}
