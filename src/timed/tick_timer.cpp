#include "timed/tick_timer.h"

#include <QTime>

namespace {

constexpr int kPeriodMs = 50;
// Lands just after the mark, never just before it.
constexpr int kAfterMarkMs = 2;

}  // namespace

TickTimer::TickTimer(QObject* parent) : QObject(parent) {
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, [this] {
        arm();
        emit tick();
    });
}

void TickTimer::start() {
    arm();
}

void TickTimer::stop() {
    timer_.stop();
}

void TickTimer::arm() {
    const int intoPeriod = QTime::currentTime().msec() % kPeriodMs;
    int wait = kPeriodMs - intoPeriod + kAfterMarkMs;
    if (wait > kPeriodMs) {
        wait -= kPeriodMs;
    }
    timer_.start(wait);
}
