#pragma once

#include <QAbstractTableModel>

#include "core/timed/active_run.h"

// The runs of timed play, as the now-playing list shows them: the head plays, the others wait
// in order. The model owns the runs, so a row and its run come and go together.
class NowPlayingModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    enum Column { Name, Progress, Track, Columns };

    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    const ActiveRunList& runs() const { return runs_; }
    ActiveRun& at(int row) { return *runs_[static_cast<size_t>(row)]; }
    int size() const { return static_cast<int>(runs_.size()); }
    bool isEmpty() const { return runs_.empty(); }

    void append(std::unique_ptr<ActiveRun> run, const QString& progress);
    std::unique_ptr<ActiveRun> take(int row);
    ActiveRunList takeAll();
    // Announced only when the text changes.
    void setProgress(int row, const QString& text);
    void setTrack(int row, const QString& text);

  private:
    ActiveRunList runs_;
};
