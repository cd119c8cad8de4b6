#pragma once

#include <QDialog>
#include <QList>

#include "core/support/date_time.h"

class QListWidget;
class QPushButton;
class QRadioButton;
class TimeField;

// "开始时间": one start time, or a list of them (for bells).
class StartTimesDialog : public QDialog {
    Q_OBJECT
  public:
    StartTimesDialog(const QList<ClockTime>& times, QWidget* parent = nullptr);
    QList<ClockTime> times() const { return times_; }

    QRadioButton* singleRadio() const { return single_; }
    QRadioButton* multipleRadio() const { return multiple_; }
    TimeField* singleTime() const { return singleTime_; }
    TimeField* addTime() const { return addTime_; }
    QListWidget* list() const { return list_; }
    // "添加", "批量生成…", "删除", "清空".
    QPushButton* button(const QString& text) const;

    void accept() override;

  private:
    void updateEnabled();
    void addOne();
    void addBatch();
    void removeSelected();
    void clearAll();
    // Inserts the time unless it is there; selects only its row. True when inserted.
    bool insertTime(const QString& text);

    QRadioButton* single_;
    QRadioButton* multiple_;
    TimeField* singleTime_;
    TimeField* addTime_;
    QListWidget* list_;
    QList<QPushButton*> buttons_;
    QList<ClockTime> times_;
};
