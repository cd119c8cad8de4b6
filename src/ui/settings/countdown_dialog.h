#pragma once

#include <QDialog>

#include "core/settings/shutdown_schedule.h"

class QLabel;
class QTimer;

// The 60-step countdown before a scheduled shutdown or restart. "取消" or Escape stops it;
// at 0 the machine is asked to power off or restart, and a refusal is shown.
class CountdownDialog : public QDialog {
    Q_OBJECT
  public:
    static constexpr int kSteps = 60;
    static constexpr int kStepMs = 950;

    CountdownDialog(ShutdownMode mode, SystemPower& power, int stepMs = kStepMs,
                    QWidget* parent = nullptr);

    int remaining() const { return remaining_; }
    QLabel* caption() const { return label_; }
    QLabel* number() const { return number_; }
    // The system accepted the power-off or restart.
    bool systemGoingDown() const { return goingDown_; }

  private:
    void step();

    ShutdownMode mode_;
    SystemPower& power_;
    int remaining_ = kSteps;
    bool goingDown_ = false;
    QLabel* label_;
    QLabel* number_;
    QTimer* timer_;
};
