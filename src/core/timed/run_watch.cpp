#include "core/timed/run_watch.h"

RunWatch::RunWatch(NowPlayingModel& runs, QObject* parent) : QObject(parent), runs_(runs) {
    connect(&runs_, &QAbstractItemModel::rowsAboutToBeRemoved, this,
            [this](const QModelIndex&, int first, int last) {
                for (int row = first; row <= last; ++row) {
                    const ActiveRun& run = runs_.at(row);
                    const auto found = last_.find(&run);
                    const Last ending = found != last_.end() ? found->second : Last{};
                    last_.erase(&run);
                    emit runEnding(run, ending.kind, ending.reason);
                }
            });
    // The whole list goes only at exit, when nothing more is shown.
    connect(&runs_, &QAbstractItemModel::modelAboutToBeReset, this, [this] { last_.clear(); });
    for (auto signal : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved}) {
        connect(&runs_, signal, this, &RunWatch::runsChanged);
    }
    connect(&runs_, &QAbstractItemModel::dataChanged, this, &RunWatch::runsChanged);
    connect(&runs_, &QAbstractItemModel::modelReset, this, &RunWatch::runsChanged);
}

void RunWatch::noteReport(const LocalDateTime&, const QString& text) {
    // The longest label that heads the text, so that "早操" does not take "早操2"'s reports.
    const ActiveRun* owner = nullptr;
    qsizetype longest = -1;
    for (const auto& run : runs_.runs()) {
        const QString label = run->label();
        if (label.size() > longest && RunTexts::kindOf(label, text) != RunTextKind::Other) {
            owner = run.get();
            longest = label.size();
        }
    }
    if (owner == nullptr) {
        return;
    }
    QString reason;
    const RunTextKind kind = RunTexts::kindOf(owner->label(), text, &reason);
    last_[owner] = {kind, reason};
    emit runReported(*owner, kind, reason);
}
