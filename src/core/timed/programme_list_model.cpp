#include "core/timed/programme_list_model.h"

#include "core/support/date_text.h"
#include "core/support/row_moves.h"

#include <utility>

namespace {

// "%d遍", "%d首" or "%d秒".
QString durationText(const Programme& p) {
    if (p.countByTracks != 0) {
        return QString::number(p.trackCount) +
               (p.singleFile != 0 ? QStringLiteral("遍") : QStringLiteral("首"));
    }
    return QStringLiteral("%1秒").arg(p.secondsCount);
}

// Every start time, eight to a line: the cell shows only the first five.
QString allStartTimes(const Programme& p) {
    QString text;
    const int count = qBound(0, p.startCount, kMaxStartTimes);
    for (int i = 0; i < count; ++i) {
        if (i > 0) {
            text += i % 8 == 0 ? QStringLiteral("\n") : QStringLiteral("  ");
        }
        text += formatClockTime(p.startTimes[i]);
    }
    return text;
}

}  // namespace

ProgrammeListModel::ProgrammeListModel(ProgrammeTable& table, const Clock& clock, QObject* parent)
    : QAbstractTableModel(parent), table_(table), clock_(clock) {
    reload();
}

int ProgrammeListModel::rowCount(const QModelIndex& parent) const {
    // The rows announced so far: a table filled behind the model's back (loading) shows
    // once reload() announces it.
    return parent.isValid() ? 0 : static_cast<int>(statuses_.size());
}

int ProgrammeListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : (zonesColumn_ ? Columns : Zones);
}

QVariant ProgrammeListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount() || index.row() >= table_.size()) {
        return {};
    }
    const int column = index.column();
    if (column >= columnCount()) {
        return {};
    }
    if (role == Qt::TextAlignmentRole) {
        return headerData(column, Qt::Horizontal, role);
    }
    const Programme& p = table_.at(index.row());
    const QString problem = p.disabled != 0 ? QString() : pathProblem(index.row());
    if (role == Qt::ForegroundRole) {
        // A disabled programme is drawn greyed, one that would not play red (as today's
        // list draws it); the view turns the name into a colour.
        if (p.disabled != 0) {
            return QStringLiteral("gray");
        }
        return problem.isEmpty() ? QVariant() : QVariant(QStringLiteral("darkred"));
    }
    if (role == Qt::ToolTipRole && !problem.isEmpty()) {
        return problem;
    }
    if (role == Qt::ToolTipRole && column == StartTimes) {
        return allStartTimes(p);
    }
    if (role == Qt::ToolTipRole && column == Zones) {
        const QString zones = zonesText(p);
        return zones.isEmpty() ? QStringLiteral("在总输出设备上播放") : zones;
    }
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole) {
        return {};
    }
    switch (column) {
        case Name:
            return programmeName(p);
        case Status:
            return p.disabled != 0
                       ? programmeStatusText(ProgrammeStatus::Disabled)
                       : programmeStatusText(statuses_[static_cast<size_t>(index.row())]);
        case StartTimes:
            return formatStartTimes(p.startTimes, qBound(0, p.startCount, kMaxStartTimes));
        case Duration:
            return durationText(p);
        case Content:
            return programmePath(p);
        case Volume:
            return QString::number(p.volume);
        case Days:
            return formatDays(p.byWeekday != 0, p.weekdays, p.monthDays);
        case DateRange:
            return formatDateHourRange(p.dateRange);
        case Zones:
            return zonesText(p);
        default:
            return {};
    }
}

QVariant ProgrammeListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section >= columnCount()) {
        return {};
    }
    if (role == Qt::TextAlignmentRole) {
        switch (section) {
            case Status:
                return QVariant::fromValue(Qt::Alignment(Qt::AlignCenter));
            case Duration:
            case Volume:
                return QVariant::fromValue(Qt::Alignment(Qt::AlignRight | Qt::AlignVCenter));
            default:
                return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
        }
    }
    if (role != Qt::DisplayRole) {
        return {};
    }
    static const QStringList headers = {QStringLiteral("节目名称"),
                                        QStringLiteral("启/停"),
                                        QStringLiteral("开始时间 (可多个)"),
                                        QStringLiteral("时长 (遍首秒)"),
                                        QStringLiteral("播放内容"),
                                        QStringLiteral("音量"),
                                        QStringLiteral("周几/几号"),
                                        QStringLiteral("日期范围"),
                                        QStringLiteral("分区")};
    return headers.value(section);
}

void ProgrammeListModel::reload() {
    resetWith([] {});
}

void ProgrammeListModel::resetWith(const std::function<void()>& change) {
    beginResetModel();
    change();
    statuses_.clear();
    const LocalDateTime now = wholeSecond(clock_.now());
    for (const Programme& p : table_.items()) {
        statuses_.push_back(programmeStatusAt(p, now));
    }
    endResetModel();
}

void ProgrammeListModel::refreshRow(int row) {
    statuses_[static_cast<size_t>(row)] =
        programmeStatusAt(table_.at(row), wholeSecond(clock_.now()));
    emit dataChanged(index(row, 0), index(row, columnCount() - 1));
}

bool ProgrammeListModel::add(const Programme& programme, QString& message) {
    const int row = table_.size();
    if (!table_.canAdd(programme, message)) {
        return false;
    }
    beginInsertRows({}, row, row);
    table_.add(programme, message);
    statuses_.push_back(programmeStatusAt(table_.at(row), wholeSecond(clock_.now())));
    endInsertRows();
    return true;
}

EditResult ProgrammeListModel::replace(int row, const Programme& programme, RunningProgrammes* runs,
                                       const AskUser& ask, QString& message) {
    const EditResult result = table_.replace(row, programme, runs, ask, message);
    if (result == EditResult::Replaced) {
        refreshRow(row);
    }
    return result;
}

void ProgrammeListModel::remove(const QList<int>& rows, RunningProgrammes* runs) {
    const QList<int> sorted = sortedUniqueRows(rows);
    // From the bottom, so the rows still to go keep their numbers.
    for (auto it = sorted.rbegin(); it != sorted.rend(); ++it) {
        const int row = *it;
        if (row < 0 || row >= table_.size()) {
            continue;
        }
        beginRemoveRows({}, row, row);
        table_.remove({row}, runs);
        statuses_.erase(statuses_.begin() + row);
        endRemoveRows();
    }
}

bool ProgrammeListModel::setDisabled(const QList<int>& rows, bool disabled) {
    QList<int> changed;
    for (int row : rows) {
        if (row >= 0 && row < table_.size() && (table_.at(row).disabled != 0) != disabled) {
            changed.append(row);
        }
    }
    if (!table_.setDisabled(changed, disabled)) {
        return false;
    }
    for (int row : changed) {
        refreshRow(row);
    }
    return true;
}

void ProgrammeListModel::swapWithNext(int row) {
    beginMoveRows({}, row + 1, row + 1, {}, row);
    table_.swapWithNext(row);
    std::swap(statuses_[static_cast<size_t>(row)], statuses_[static_cast<size_t>(row + 1)]);
    endMoveRows();
}

bool ProgrammeListModel::moveUp(QList<int>& rows) {
    return moveRowsUp(rows, table_.size(), [this](int row) { swapWithNext(row); });
}

bool ProgrammeListModel::moveDown(QList<int>& rows) {
    return moveRowsDown(rows, table_.size(), [this](int row) { swapWithNext(row); });
}

bool ProgrammeListModel::sortByName(bool ascending) {
    if (table_.size() < 2) {
        return false;
    }
    resetWith([&] { table_.sortByName(ascending); });
    return true;
}

bool ProgrammeListModel::sortByFirstStart(bool ascending) {
    if (table_.size() < 2) {
        return false;
    }
    resetWith([&] { table_.sortByFirstStart(ascending); });
    return true;
}

QString ProgrammeListModel::zonesText(const Programme& p) const {
    return zones_ == nullptr ? QString()
                             : zones_->zonesOf(programmeName(p)).join(QStringLiteral("、"));
}

void ProgrammeListModel::showZones(const ZoneSetup* zones) {
    zones_ = zones;
    const bool wanted = zones_ != nullptr && !zones_->isEmpty();
    if (wanted && !zonesColumn_) {
        beginInsertColumns({}, Zones, Zones);
        zonesColumn_ = true;
        endInsertColumns();
    } else if (!wanted && zonesColumn_) {
        beginRemoveColumns({}, Zones, Zones);
        zonesColumn_ = false;
        endRemoveColumns();
    } else if (wanted && rowCount() > 0) {
        emit dataChanged(index(0, Zones), index(rowCount() - 1, Zones));
    }
}

QString ProgrammeListModel::pathProblem(int row) const {
    return row >= 0 && row < table_.size() ? pathProblems_.value(programmePath(table_.at(row)))
                                           : QString();
}

void ProgrammeListModel::setPathProblems(const QHash<QString, QString>& problems) {
    if (problems == pathProblems_) {
        return;
    }
    const QHash<QString, QString> before = std::exchange(pathProblems_, problems);
    for (int row = 0; row < rowCount() && row < table_.size(); ++row) {
        const QString path = programmePath(table_.at(row));
        if (before.value(path) != pathProblems_.value(path)) {
            emit dataChanged(index(row, 0), index(row, columnCount() - 1),
                             {Qt::ForegroundRole, Qt::ToolTipRole});
        }
    }
}

void ProgrammeListModel::setStatus(int row, ProgrammeStatus status) {
    if (row < 0 || row >= static_cast<int>(statuses_.size())) {
        return;
    }
    ProgrammeStatus& kept = statuses_[static_cast<size_t>(row)];
    if (kept != status) {
        kept = status;
        const QModelIndex cell = index(row, Status);
        emit dataChanged(cell, cell, {Qt::DisplayRole});
    }
}
