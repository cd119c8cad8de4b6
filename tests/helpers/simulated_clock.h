#pragma once

#include "core/support/clock.h"

// Time that moves only when the engine sleeps or the test advances it.
class SimulatedClock : public Clock {
  public:
    LocalDateTime now() const override { return dateTimeFromTicks(ticks_); }
    void sleepMs(int ms) override { ticks_ += static_cast<qint64>(ms) * 10'000; }
    void set(const LocalDateTime& t) { ticks_ = dateTimeTicks(t); }
    void advanceMs(qint64 ms) { ticks_ += ms * 10'000; }
    qint64 ticks() const { return ticks_; }

  private:
    qint64 ticks_ = 0;
};
