#pragma once

#include <QObject>
#include <unordered_map>

#include "core/timed/now_playing_model.h"
#include "core/timed/run_texts.h"

// Follows the runs of timed play from the outside: which report belongs to which run, and how
// each run ended (the last report before its row went). Nothing in the engine changes for it.
class RunWatch : public QObject {
    Q_OBJECT
  public:
    explicit RunWatch(NowPlayingModel& runs, QObject* parent = nullptr);

    const NowPlayingModel& runs() const { return runs_; }

  public slots:
    // Every timed-play event, as the play log receives it.
    void noteReport(const LocalDateTime& time, const QString& text);

  signals:
    // A report about a run still in the list.
    void runReported(const ActiveRun& run, RunTextKind kind, const QString& reason);
    // A run leaves the list; `kind` and `reason` are those of its last report.
    void runEnding(const ActiveRun& run, RunTextKind kind, const QString& reason);
    // A run came, started or went: the queue's states may differ.
    void runsChanged();

  private:
    struct Last {
        RunTextKind kind = RunTextKind::Other;
        QString reason;
    };

    NowPlayingModel& runs_;
    std::unordered_map<const ActiveRun*, Last> last_;
};
