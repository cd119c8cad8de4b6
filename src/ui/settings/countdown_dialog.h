#pragma once

#include <QDialog>

#include "core/settings/shutdown_scheduler.h"

class QLabel;

// Shows the scheduler's 60-step countdown before a scheduled shutdown or restart. "取消" or
// Escape cancels it; when the count runs out and the machine refuses, the refusal is shown.
class CountdownDialog : public QDialog {
    Q_OBJECT
  public:
    CountdownDialog(ShutdownScheduler& scheduler, QWidget* parent = nullptr);

    QLabel* caption() const { return label_; }
    QLabel* number() const { return number_; }

  private:
    void ended(const QString& failure);

    ShutdownScheduler& scheduler_;
    QLabel* label_;
    QLabel* number_;
};
