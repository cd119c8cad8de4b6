#pragma once

class RunEngine;

// What immediate play needs of timed play: the gain that lowers it, the target the gain glides
// to, and whether anything timed is playing at all.
class TimedDucking {
  public:
    virtual ~TimedDucking() = default;
    virtual bool hasActiveRuns() const = 0;
    virtual double duckTarget() const = 0;
    virtual double timedDuckGain() const = 0;
    // With nothing timed playing there is nothing to glide: the gain goes to its target.
    virtual void moveGainToTarget() = 0;
};

// The timed-play engine's side of it.
class RunEngineDucking : public TimedDucking {
  public:
    explicit RunEngineDucking(RunEngine& runs) : runs_(runs) {}
    bool hasActiveRuns() const override;
    double duckTarget() const override;
    double timedDuckGain() const override;
    void moveGainToTarget() override;

  private:
    RunEngine& runs_;
};
