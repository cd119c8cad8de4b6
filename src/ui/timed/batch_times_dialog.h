#pragma once

#include <QDialog>
#include <QList>

#include "core/support/date_time.h"

class QLineEdit;
class QTimeEdit;

// "批量生成 开始时间": start times from one time to another at a fixed interval in minutes.
class BatchTimesDialog : public QDialog {
    Q_OBJECT
  public:
    explicit BatchTimesDialog(QWidget* parent = nullptr);
    QList<ClockTime> times() const { return times_; }
    QTimeEdit* fromEdit() const { return from_; }
    QTimeEdit* toEdit() const { return to_; }
    QLineEdit* intervalEdit() const { return interval_; }

    void accept() override;

  private:
    QTimeEdit* from_;
    QTimeEdit* to_;
    QLineEdit* interval_;
    QList<ClockTime> times_;
};

// The times from `from` to `to`, both included, every `stepSeconds` seconds.
QList<ClockTime> batchStartTimes(const ClockTime& from, const ClockTime& to, int stepSeconds);
