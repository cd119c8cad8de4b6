#pragma once

#include <QtGlobal>
#include <vector>

#include "core/timed/programme_table.h"

// The start times of one programme in time-of-day order, so the due test finds the starts
// whose window holds the moment with a binary search instead of reading all 512 of them
// twenty times a second. It also remembers until which second of the day nothing can be due,
// so most ticks do not search at all.
class StartIndex {
  public:
    StartIndex() = default;
    explicit StartIndex(const Programme& p);

    // Built from these starts and this kind of window; otherwise the caller scans.
    bool fits(const Programme& p) const {
        return p.startCount == count_ && p.countByTracks == countByTracks_ &&
               p.secondsCount == secondsCount_;
    }
    // The first start, in the programme's own order, whose second of the day lies in
    // [from, to]; -1 when there is none.
    int firstInOrder(qint64 from, qint64 to) const;
    // The smallest second of the day at or after `from` that is a start; none: kNoStart.
    qint64 nextAtOrAfter(qint64 from) const;
    static constexpr qint64 kNoStart = Q_INT64_C(0x7fffffffffffffff);

    // The due test's memory: on the day and ms of `baseTicks`, with this last start, nothing
    // is due for any moment second in [from, until).
    struct Quiet {
        qint64 baseTicks = -1;
        qint64 lastTicks = 0;
        qint64 from = 0;
        qint64 until = 0;
    };
    Quiet quiet;

  private:
    struct Entry {
        qint32 second;
        qint32 order;
    };
    std::vector<Entry> entries_;
    qint32 count_ = -1;
    quint32 countByTracks_ = 0;
    qint32 secondsCount_ = 0;
};

// One index per programme of a table, rebuilt when the table reports a change.
class StartIndexes {
  public:
    // Brings the indexes up to date with the table, when it changed since.
    void update(const ProgrammeTable& table);
    StartIndex* at(int row) { return &indexes_[static_cast<size_t>(row)]; }
    const StartIndex& at(int row) const { return indexes_[static_cast<size_t>(row)]; }

  private:
    std::vector<StartIndex> indexes_;
    quint64 revision_ = ~quint64{0};
};
