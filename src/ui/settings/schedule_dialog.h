#pragma once

#include <QDialog>
#include <QList>

#include "core/support/date_time.h"

class QCheckBox;
class QTimeEdit;

// "每天关机", "每周关机" and "关机重启": a time of day and, for the weekly two, the days.
class ScheduleDialog : public QDialog {
    Q_OBJECT
  public:
    // `days` (Monday first) is null for the daily schedule, which has no day boxes.
    ScheduleDialog(const QString& caption, const ClockTime& time, const qint32* days,
                   QWidget* parent = nullptr);

    QTimeEdit* timeEdit() const { return time_; }
    const QList<QCheckBox*>& dayBoxes() const { return days_; }

    // What OK stores.
    ClockTime time() const;
    void storeDays(qint32* days) const;

    void accept() override;

  private:
    QTimeEdit* time_;
    QList<QCheckBox*> days_;
};
