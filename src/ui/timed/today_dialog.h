#pragma once

#include <QDialog>

class QLabel;
class QTreeView;
class TodayModel;

// "今天的节目": every start of today with what became of it, following the model live.
class TodayDialog : public QDialog {
    Q_OBJECT
  public:
    TodayDialog(TodayModel& model, QWidget* parent = nullptr);

    QTreeView* list() const { return list_; }

  private:
    void updateSummary();

    TodayModel& model_;
    QLabel* note_;
    QLabel* summary_;
    QTreeView* list_;
};
