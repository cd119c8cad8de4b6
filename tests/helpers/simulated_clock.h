#pragma once

#include "core/support/clock.h"

// Time that moves only when the engine sleeps or the test advances it.
class SimulatedClock : public Clock {
  public:
    LocalDateTime now() const override { return dateTimeFromTicks(ticks_); }
    void sleepMs(int ms) override { advanceMs(ms); }
    // Setting the clock moves the wall time only, as a clock jump does.
    void set(const LocalDateTime& t) { ticks_ = dateTimeTicks(t); }
    void advanceMs(qint64 ms) {
        ticks_ += ms * 10'000;
        steadyTicks_ += ms * 10'000;
    }
    qint64 ticks() const { return ticks_; }
    // Time that only passes, never set: a monotonic clock.
    qint64 steadyTicks() const { return steadyTicks_; }

  private:
    qint64 ticks_ = 0;
    qint64 steadyTicks_ = 0;
};
