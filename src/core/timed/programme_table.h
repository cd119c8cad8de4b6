#pragma once

#include <QList>
#include <QString>
#include <functional>
#include <vector>

#include "core/timed/programme.h"

constexpr int kMaxProgrammes = 256;

// What the table needs from the runs: whether a programme is playing, and stopping it
// before the programme is deleted or changed. The run engine provides it.
class RunningProgrammes {
  public:
    virtual ~RunningProgrammes() = default;
    // Manual runs included; names compared ignoring case.
    virtual bool hasRunOf(const QString& name) const = 0;
    virtual void stopRunsOf(const QString& name, const QString& reason) = 0;
};

// Asks the user a Yes/No question; true for Yes.
using AskUser = std::function<bool(const QString& question)>;

enum class EditResult { Replaced, Refused, Declined };

// The ordered programmes of timed play. The programme list shows them through its model.
class ProgrammeTable {
  public:
    ProgrammeTable() = default;
    ProgrammeTable(const ProgrammeTable& other) : items_(other.items_) {}
    ProgrammeTable(ProgrammeTable&& other) noexcept : items_(std::move(other.items_)) {}
    ProgrammeTable& operator=(const ProgrammeTable& other) {
        items_ = other.items_;
        bump();
        return *this;
    }
    ProgrammeTable& operator=(ProgrammeTable&& other) noexcept {
        items_ = std::move(other.items_);
        bump();
        return *this;
    }

    int size() const { return static_cast<int>(items_.size()); }
    bool isEmpty() const { return items_.empty(); }
    const Programme& at(int index) const { return items_[static_cast<size_t>(index)]; }
    // Every way to change the programmes counts as a change (see revision()).
    Programme& operator[](int index) {
        bump();
        return items_[static_cast<size_t>(index)];
    }
    std::vector<Programme>& items() {
        bump();
        return items_;
    }
    const std::vector<Programme>& items() const { return items_; }
    void clear() {
        bump();
        items_.clear();
    }
    void append(const Programme& p) {
        bump();
        items_.push_back(p);
    }
    // For the due test, which writes only lastStartTime: not counted as a change.
    Programme& forDueTest(int index) { return items_[static_cast<size_t>(index)]; }
    // Moves on with every access that may change a programme, so what is derived from the
    // start times (the dispatcher's start indexes) knows when to be rebuilt.
    quint64 revision() const { return revision_; }

    // Index of the first programme of that name, ignoring case, or -1.
    int findByName(const QString& name) const;

    // Refused with "最多 %d 个节目" at capacity or "该节目已存在" for a taken name.
    bool canAdd(const Programme& programme, QString& message) const;
    bool add(const Programme& programme, QString& message);
    // Replaces a programme in place. A taken name is refused; when the programme plays the
    // user is asked first, and Yes stops its runs. The new record has never fired.
    EditResult replace(int index, const Programme& programme, RunningProgrammes* runs,
                       const AskUser& ask, QString& message);
    // Removes the rows (any order), stopping the runs of each removed programme first.
    void remove(QList<int> rows, RunningProgrammes* runs);
    // True when at least one value changed (only then is the file written).
    bool setDisabled(const QList<int>& rows, bool disabled);
    // Swaps a programme with the one below it (the list model moves its rows this way).
    void swapWithNext(int index);
    // Unstable sorts; false and nothing done for fewer than two programmes.
    bool sortByName(bool ascending);
    bool sortByFirstStart(bool ascending);

  private:
    std::vector<Programme> items_;
    // Revisions come from one counter for all tables, so a table put in place of another
    // (a restore, a reload) never shows the revision the old one had.
    void bump() { revision_ = nextRevision(); }
    static quint64 nextRevision();
    quint64 revision_ = nextRevision();
};

// Blanks dropped at both ends of names and file paths, only at the start of folder paths.
QString trimProgrammeName(const QString& name);
QString trimMusicPath(const QString& path, bool singleFile);
