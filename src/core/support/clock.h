#pragma once

#include "core/support/date_time.h"

// A clock set back by more than this is a jump: runs and immediate play restart their count.
constexpr int kClockBackSeconds = 15;

// Sleeps on the monotonic clock for the fades' 6 ms steps.
void preciseSleep(int milliseconds);

// Local time and the pauses of fades: the program uses the system clock, tests a
// simulated one that advances when the engine sleeps.
class Clock {
  public:
    virtual ~Clock() = default;
    virtual LocalDateTime now() const = 0;
    virtual void sleepMs(int milliseconds) = 0;
};

class SystemClock : public Clock {
  public:
    LocalDateTime now() const override;
    void sleepMs(int milliseconds) override { preciseSleep(milliseconds); }
};

// The local time with milliseconds set to 0, as every tick and report uses it.
LocalDateTime wholeSecond(LocalDateTime t);
