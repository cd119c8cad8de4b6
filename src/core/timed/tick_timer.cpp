#include "core/timed/tick_timer.h"

#include <QDateTime>

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
    // The milliseconds of local time are those of UTC; reading them so skips the time-zone
    // lookup (a stat of /etc/localtime) on every tick.
    const int intoPeriod = static_cast<int>(QDateTime::currentMSecsSinceEpoch() % 1000) % kPeriodMs;
    int wait = kPeriodMs - intoPeriod + kAfterMarkMs;
    if (wait > kPeriodMs) {
        wait -= kPeriodMs;
    }
    timer_.start(wait);
}
