#pragma once

#include <QAbstractTableModel>
#include <QHash>
#include <functional>
#include <vector>

#include "core/support/clock.h"
#include "core/timed/programme_table.h"
#include "core/timed/schedule.h"
#include "core/zones/zone_setup.h"

// The programme list: one row per programme of the table, in table order. Every change of the
// table goes through here, so a row always shows its own programme.
class ProgrammeListModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    // The zones column is there only while zones exist.
    enum Column {
        Name,
        Status,
        StartTimes,
        Duration,
        Content,
        Volume,
        Days,
        DateRange,
        Zones,
        Columns
    };

    ProgrammeListModel(ProgrammeTable& table, const Clock& clock, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    const ProgrammeTable& table() const { return table_; }
    // After the table was filled as a whole (loading, restoring).
    void reload();

    // The table's operations (see ProgrammeTable), with the rows following them.
    bool add(const Programme& programme, QString& message);
    EditResult replace(int row, const Programme& programme, RunningProgrammes* runs,
                       const AskUser& ask, QString& message);
    void remove(const QList<int>& rows, RunningProgrammes* runs);
    bool setDisabled(const QList<int>& rows, bool disabled);
    // The selection moves one row and follows; false (nothing changed) at the edge.
    bool moveUp(QList<int>& rows);
    bool moveDown(QList<int>& rows);
    bool sortByName(bool ascending);
    bool sortByFirstStart(bool ascending);

    // The dispatcher's finding for a row at this tick; only a change is announced, so an
    // unchanged row is not redrawn.
    void setStatus(int row, ProgrammeStatus status);
    // The check before the bell's findings by music path (paths without a problem are
    // absent): a programme whose file or folder would not play is drawn red, its problem as
    // the tip. Only rows whose finding changed are announced, with those two roles.
    void setPathProblems(const QHash<QString, QString>& problems);
    QString pathProblem(int row) const;
    // The zones to show in the "分区" column (owned elsewhere; nullptr: none); called again
    // whenever they changed. The column comes and goes with the zones.
    void showZones(const ZoneSetup* zones);
    bool hasZonesColumn() const { return zonesColumn_; }

  private:
    void resetWith(const std::function<void()>& change);
    void swapWithNext(int row);
    void refreshRow(int row);
    // The zones of the programme joined with "、"; empty for the program-wide output.
    QString zonesText(const Programme& p) const;

    ProgrammeTable& table_;
    const Clock& clock_;
    std::vector<ProgrammeStatus> statuses_;  // per row, as last found
    QHash<QString, QString> pathProblems_;
    const ZoneSetup* zones_ = nullptr;
    bool zonesColumn_ = false;  // as last announced
};
