#include "core/timed/today_model.h"

#include "core/timed/schedule.h"

#include <QHash>
#include <algorithm>

#include "core/support/date_text.h"
#include "core/timed/preview.h"

namespace {

bool sameSecond(const LocalDateTime& a, const LocalDateTime& b) {
    return sameDate(a, b) && a.hour == b.hour && a.minute == b.minute && a.second == b.second;
}

bool isOpen(StartState state) {
    return state == StartState::ToCome || state == StartState::Queued ||
           state == StartState::Playing;
}

QString noteFor(const HolidayCalendar& calendar, const LocalDateTime& today) {
    QStringList notes;
    int fromHour = 0;
    int toHour = 24;
    if (const Holiday* h =
            calendar.holidayOn(today.year, today.month, today.day, fromHour, toHour)) {
        notes.append(fromHour == 0 && toHour == 24
                         ? QStringLiteral("今天是节假日: %1, 不播放").arg(holidayName(*h))
                         : QStringLiteral("今天 %1 点到 %2 点是节假日: %3, 不播放")
                               .arg(fromHour)
                               .arg(toHour)
                               .arg(holidayName(*h)));
    }
    const LocalDateTime adjusted = calendar.adjustedDate(today);
    if (!sameDate(adjusted, today) && (fromHour != 0 || toHour != 24 || notes.isEmpty())) {
        notes.append(
            QStringLiteral("今天调休, 按 %1 的节目播放")
                .arg(formatDateWithWeekday({adjusted.year, adjusted.month, adjusted.day})));
    }
    return notes.join(QStringLiteral("；"));
}

}  // namespace

TodayModel::TodayModel(const ProgrammeTable& table, const HolidayCalendar& calendar,
                       const Clock& clock, RunWatch& watch, QObject* parent)
    : QAbstractTableModel(parent),
      table_(table),
      calendar_(calendar),
      clock_(clock),
      watch_(watch),
      sessionStart_(dateTimeTicks(wholeSecond(clock.now()))) {
    connect(&watch_, &RunWatch::runsChanged, this, &TodayModel::followRuns);
    connect(&watch_, &RunWatch::runEnding, this, &TodayModel::runEnding);
    rebuild();
}

int TodayModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(entries_.size());
}

int TodayModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : Columns;
}

QString TodayModel::stateText(StartState state) {
    switch (state) {
        case StartState::ToCome:
            return QStringLiteral("待播");
        case StartState::Queued:
            return QStringLiteral("排队等候");
        case StartState::Playing:
            return QStringLiteral("正在播");
        case StartState::Played:
            return QStringLiteral("已播");
        case StartState::Failed:
            return QStringLiteral("失败");
        case StartState::Stopped:
            return QStringLiteral("已终止");
        case StartState::Skipped:
            return QStringLiteral("未播");
    }
    return QString();
}

QVariant TodayModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) {
        return {};
    }
    const Entry& e = entries_[static_cast<size_t>(index.row())];
    // A problem found before the bell matters only while the start is still to come.
    const bool troubled = !e.problem.isEmpty() && e.state == StartState::ToCome;
    if (role == Qt::ForegroundRole) {
        if (e.state == StartState::Failed || troubled) {
            return QStringLiteral("darkred");
        }
        if (e.state == StartState::Playing) {
            return QStringLiteral("darkgreen");
        }
        if (!isOpen(e.state)) {
            return QStringLiteral("gray");
        }
        return {};
    }
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole) {
        return {};
    }
    switch (index.column()) {
        case Start:
            return formatClockTime({e.start.hour, e.start.minute, e.start.second});
        case Name:
            return e.name;
        case State:
            return troubled ? QStringLiteral("待播 (有问题)") : stateText(e.state);
        case Reason:
            return troubled ? e.problem : e.reason;
        default:
            return {};
    }
}

QVariant TodayModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
        return {};
    }
    switch (section) {
        case Start:
            return QStringLiteral("开始时间");
        case Name:
            return QStringLiteral("节目名称");
        case State:
            return QStringLiteral("状态");
        case Reason:
            return QStringLiteral("说明");
        default:
            return {};
    }
}

void TodayModel::rebuild() {
    const LocalDateTime now = wholeSecond(clock_.now());
    std::vector<Entry> fresh;
    previewStarts(table_, calendar_, now.year, now.month, now.day, 1,
                  [&](const LocalDateTime& moment, const LocalDateTime& start, int row) {
                      const Programme& p = table_.at(row);
                      Entry e;
                      e.moment = moment;
                      e.start = start;
                      e.name = programmeName(p);
                      const qint64 window =
                          p.countByTracks != 0
                              ? kTrackWindowSeconds
                              : static_cast<qint64>(static_cast<quint32>(p.secondsCount));
                      e.windowEndTicks = dateTimeTicks(start) + window * kTicksPerSecond;
                      fresh.push_back(e);
                  });
    // What happened to a start stays with it through edits of the timetable.
    // A start that played, failed or was stopped stays listed even when the timetable no
    // longer has it: it happened.
    if (sameDate(day_, now)) {
        for (const Entry& old : entries_) {
            const auto same = std::find_if(fresh.begin(), fresh.end(), [&](const Entry& e) {
                return sameSecond(old.start, e.start) &&
                       old.name.compare(e.name, Qt::CaseInsensitive) == 0;
            });
            if (same != fresh.end()) {
                same->state = old.state;
                same->reason = old.reason;
            } else if (old.state != StartState::ToCome && old.state != StartState::Skipped) {
                fresh.push_back(old);
            }
        }
        std::stable_sort(fresh.begin(), fresh.end(), [](const Entry& a, const Entry& b) {
            return dateTimeTicks(a.moment) < dateTimeTicks(b.moment);
        });
    }
    day_ = now;
    dayNote_ = noteFor(calendar_, now);
    beginResetModel();
    entries_ = std::move(fresh);
    applyProblems();
    endResetModel();
    followRuns();
    update();
}

void TodayModel::update() {
    const LocalDateTime now = wholeSecond(clock_.now());
    if (!sameDate(day_, now)) {
        rebuild();
        return;
    }
    const qint64 nowTicks = dateTimeTicks(now);
    for (int row = 0; row < rowCount(); ++row) {
        const Entry& e = entries_[static_cast<size_t>(row)];
        if (e.state == StartState::ToCome && e.windowEndTicks < nowTicks) {
            setState(row, StartState::Skipped,
                     e.windowEndTicks < sessionStart_ ? QStringLiteral("软件未运行") : QString());
        }
    }
    updateNext();
}

int TodayModel::findEntry(const ActiveRun& run) const {
    if (run.manualStart != 0) {
        return -1;
    }
    for (size_t i = 0; i < entries_.size(); ++i) {
        const Entry& e = entries_[i];
        if (sameSecond(e.start, run.programme.lastStartTime) &&
            e.name.compare(run.name(), Qt::CaseInsensitive) == 0) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

void TodayModel::setState(int row, StartState state, const QString& reason) {
    Entry& e = entries_[static_cast<size_t>(row)];
    if (e.state == state && e.reason == reason) {
        return;
    }
    e.state = state;
    e.reason = reason;
    emit dataChanged(index(row, 0), index(row, Columns - 1));
}

void TodayModel::followRuns() {
    for (const auto& run : watch_.runs().runs()) {
        const int row = findEntry(*run);
        if (row >= 0 && isOpen(entries_[static_cast<size_t>(row)].state)) {
            setState(row, run->player ? StartState::Playing : StartState::Queued, QString());
        }
    }
    updateNext();
}

void TodayModel::runEnding(const ActiveRun& run, RunTextKind kind, const QString& reason) {
    const int row = findEntry(run);
    if (row < 0) {
        return;
    }
    switch (kind) {
        case RunTextKind::Failed:
        case RunTextKind::TrackFailed:
            setState(row, StartState::Failed, reason);
            break;
        case RunTextKind::Stopped:
            setState(row, StartState::Stopped, reason);
            break;
        default:
            setState(row, StartState::Played, QString());
            break;
    }
}

void TodayModel::setProblems(const std::vector<StartProblem>& problems) {
    problems_ = problems;
    applyProblems();
    if (!entries_.empty()) {
        emit dataChanged(index(0, 0), index(rowCount() - 1, Columns - 1));
    }
}

void TodayModel::applyProblems() {
    // A large timetable whose files are all gone has as many problems as starts: each start
    // finds its own through a hash, never by reading every problem.
    QHash<QString, std::vector<size_t>> byStart;
    std::vector<size_t> everyStart;
    for (size_t i = 0; i < problems_.size(); ++i) {
        const StartProblem& p = problems_[i];
        if (p.name.isEmpty()) {
            everyStart.push_back(i);
        } else {
            byStart[startKey(p.start, p.name)].push_back(i);
        }
    }
    std::vector<size_t> concerned;
    for (Entry& e : entries_) {
        e.problem.clear();
        concerned = everyStart;
        if (const auto found = byStart.constFind(startKey(e.start, e.name));
            found != byStart.constEnd()) {
            concerned.insert(concerned.end(), found->begin(), found->end());
            std::sort(concerned.begin(), concerned.end());
        }
        for (const size_t i : concerned) {
            const QString& problem = problems_[i].problem;
            e.problem = e.problem.isEmpty() ? problem : e.problem + u'；' + problem;
        }
    }
}

QString TodayModel::startKey(const LocalDateTime& start, const QString& name) {
    const qint64 second =
        ((((qint64{start.year} * 13 + start.month) * 32 + start.day) * 24 + start.hour) * 60 +
         start.minute) *
            60 +
        start.second;
    return QString::number(second) + u'\n' + name.toCaseFolded();
}

void TodayModel::updateNext() {
    const qint64 nowTicks = dateTimeTicks(wholeSecond(clock_.now()));
    QString text;
    for (const Entry& e : entries_) {
        if (e.state == StartState::ToCome && dateTimeTicks(e.moment) >= nowTicks) {
            text =
                QStringLiteral("下一个: %1 %2")
                    .arg(formatClockTime({e.start.hour, e.start.minute, e.start.second}), e.name);
            break;
        }
    }
    if (text != nextText_) {
        nextText_ = text;
        emit nextStartChanged(text);
    }
}
