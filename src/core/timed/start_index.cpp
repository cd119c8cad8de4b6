#include "core/timed/start_index.h"

#include <algorithm>

StartIndex::StartIndex(const Programme& p)
    : count_(p.startCount), countByTracks_(p.countByTracks), secondsCount_(p.secondsCount) {
    const int count = std::clamp(p.startCount, 0, kMaxStartTimes);
    entries_.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        const ClockTime& t = p.startTimes[i];
        entries_.push_back({t.hour * 3600 + t.minute * 60 + t.second, i});
    }
    std::sort(entries_.begin(), entries_.end(), [](const Entry& a, const Entry& b) {
        return a.second != b.second ? a.second < b.second : a.order < b.order;
    });
}

int StartIndex::firstInOrder(qint64 from, qint64 to) const {
    auto it = std::lower_bound(entries_.begin(), entries_.end(), from,
                               [](const Entry& e, qint64 value) { return e.second < value; });
    int first = -1;
    for (; it != entries_.end() && it->second <= to; ++it) {
        if (first < 0 || it->order < first) {
            first = it->order;
        }
    }
    return first;
}

qint64 StartIndex::nextAtOrAfter(qint64 from) const {
    const auto it = std::lower_bound(entries_.begin(), entries_.end(), from,
                                     [](const Entry& e, qint64 value) { return e.second < value; });
    return it != entries_.end() ? it->second : kNoStart;
}

void StartIndexes::update(const ProgrammeTable& table) {
    if (revision_ == table.revision() && indexes_.size() == static_cast<size_t>(table.size())) {
        return;
    }
    indexes_.clear();
    indexes_.reserve(static_cast<size_t>(table.size()));
    for (int row = 0; row < table.size(); ++row) {
        indexes_.emplace_back(table.at(row));
    }
    revision_ = table.revision();
}
