#include "core/timed/programme_table.h"

#include <atomic>

#include <algorithm>

#include "core/support/collation.h"
#include "core/support/row_moves.h"
#include "core/support/text.h"

namespace {

const QString kTaken = QStringLiteral("该节目已存在");

}  // namespace

int ProgrammeTable::findByName(const QString& name) const {
    for (int i = 0; i < size(); ++i) {
        if (sameNameIgnoringCase(programmeName(at(i)), name)) {
            return i;
        }
    }
    return -1;
}

bool ProgrammeTable::canAdd(const Programme& programme, QString& message) const {
    if (size() >= kMaxProgrammes) {
        message = QStringLiteral("最多 %1 个节目").arg(kMaxProgrammes);
        return false;
    }
    if (findByName(programmeName(programme)) >= 0) {
        message = kTaken;
        return false;
    }
    return true;
}

bool ProgrammeTable::add(const Programme& programme, QString& message) {
    if (!canAdd(programme, message)) {
        return false;
    }
    Programme copy = programme;
    copy.lastStartTime = neverDateTime();
    append(copy);
    return true;
}

EditResult ProgrammeTable::replace(int index, const Programme& programme, RunningProgrammes* runs,
                                   const AskUser& ask, QString& message) {
    const QString newName = programmeName(programme);
    const int found = findByName(newName);
    if (found >= 0 && found != index) {
        message = kTaken;
        return EditResult::Refused;
    }
    const QString oldName = programmeName(at(index));
    if (runs != nullptr && runs->hasRunOf(oldName)) {
        const QString question =
            newName != oldName
                ? QStringLiteral("该节目正在播放：\n%1\n\n终止后才可改名，是否终止播放？")
                      .arg(oldName)
                : QStringLiteral("该节目正在播放，终止后才可修改 !\n\n是否终止播放 ？");
        if (!ask || !ask(question)) {
            return EditResult::Declined;
        }
        runs->stopRunsOf(oldName, QStringLiteral("用户终止播放"));
    }
    Programme copy = programme;
    copy.lastStartTime = neverDateTime();
    (*this)[index] = copy;
    return EditResult::Replaced;
}

void ProgrammeTable::remove(QList<int> rows, RunningProgrammes* runs) {
    rows = sortedUniqueRows(rows);
    // From the top; each removal moves the rows below up by one.
    int removed = 0;
    for (int row : rows) {
        const int index = row - removed;
        if (index < 0 || index >= size()) {
            continue;
        }
        const QString name = programmeName(at(index));
        if (runs != nullptr && runs->hasRunOf(name)) {
            runs->stopRunsOf(name, QStringLiteral("该节目被删除"));
        }
        std::vector<Programme>& all = items();
        all.erase(all.begin() + index);
        ++removed;
    }
}

bool ProgrammeTable::setDisabled(const QList<int>& rows, bool disabled) {
    bool changed = false;
    const quint32 wanted = disabled ? 1 : 0;
    for (int row : rows) {
        if (row >= 0 && row < size() && (*this)[row].disabled != wanted) {
            (*this)[row].disabled = wanted;
            changed = true;
        }
    }
    return changed;
}

void ProgrammeTable::swapWithNext(int index) {
    std::swap((*this)[index], (*this)[index + 1]);
}

bool ProgrammeTable::sortByName(bool ascending) {
    if (size() < 2) {
        return false;
    }
    const QCollator collator = nameCollator();
    std::vector<Programme>& all = items();
    std::sort(all.begin(), all.end(), [&](const Programme& a, const Programme& b) {
        const int order = collator.compare(programmeName(a), programmeName(b));
        return ascending ? order < 0 : order > 0;
    });
    return true;
}

bool ProgrammeTable::sortByFirstStart(bool ascending) {
    if (size() < 2) {
        return false;
    }
    std::vector<Programme>& all = items();
    std::sort(all.begin(), all.end(), [ascending](const Programme& a, const Programme& b) {
        const int sa = secondsOfDay(a.startTimes[0]);
        const int sb = secondsOfDay(b.startTimes[0]);
        return ascending ? sa < sb : sa > sb;
    });
    return true;
}

QString trimProgrammeName(const QString& name) {
    return trimBlanks(name);
}

QString trimMusicPath(const QString& path, bool singleFile) {
    return singleFile ? trimBlanks(path) : trimLeadingBlanks(path);
}

quint64 ProgrammeTable::nextRevision() {
    static std::atomic<quint64> counter{0};
    return ++counter;
}
