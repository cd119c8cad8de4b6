#pragma once

#include <QDialog>
#include <QTimer>

class ImportJob;
class PlaylistModel;
class QLabel;
class QPushButton;

// "正在导入...": shows the import job's progress every 250 ms until its worker has ended, then
// hands the entries to the playlist. Accepted when entries were added. "取消" only asks the
// worker to stop; the dialog stays until it has.
class ImportDialog : public QDialog {
    Q_OBJECT
  public:
    ImportDialog(ImportJob& job, PlaylistModel& playlist, QWidget* parent = nullptr);

    QLabel* progressLabel() const { return progress_; }
    QPushButton* cancelButton() const { return cancel_; }

    void reject() override;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void showProgress();
    void workerEnded();

    ImportJob& job_;
    PlaylistModel& playlist_;
    QLabel* progress_;
    QPushButton* cancel_;
    QTimer timer_;
    bool ended_ = false;
};
