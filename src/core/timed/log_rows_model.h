#pragma once

#include <QAbstractTableModel>
#include <vector>

#include "core/support/date_time.h"

// The latest play-log lines, as the log list of the timed-play page shows them. Past a few
// hundred lines the list starts afresh, so a program running for months stays small.
class LogRowsModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    enum Column { Time, Text, Columns };
    static constexpr int kRowsLimit = 256;

    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    void append(const LocalDateTime& time, const QString& text);

  private:
    struct Row {
        QString time;
        QString text;
    };
    std::vector<Row> rows_;
};
