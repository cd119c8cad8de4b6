#include "core/timed/preview.h"

#include <algorithm>
#include <cstdio>

#include "core/holidays/holiday_file.h"
#include "core/support/command_line.h"
#include "core/timed/programme_file.h"
#include "core/timed/schedule.h"
#include "core/timed/start_index.h"

namespace {

// Asking every programme at every second of a year is far too slow, so each programme is
// asked only at the seconds where the answer can be yes: inside the window of a start that
// has not fired yet. When the answer is no there, something that changes only with the
// minute (date range, holiday) or the day (weekday) blocked it, so the next minute is the
// next chance. The decision itself is always the due test's.
class StartWindows {
  public:
    explicit StartWindows(const Programme& p)
        : width_(p.countByTracks != 0 ? 15
                                      : static_cast<qint64>(static_cast<quint32>(p.secondsCount))) {
        const int count = std::clamp(p.startCount, 0, kMaxStartTimes);
        for (int i = 0; i < count; ++i) {
            starts_.push_back(secondsOfDay(p.startTimes[i]));
        }
        std::sort(starts_.begin(), starts_.end());
    }

    // A new day: the questions begin again from its first second.
    void newDay() { next_ = 0; }

    // The first second at or after `from` inside the window of a start later than
    // `lastFired` (seconds of the day, -1 when nothing fired today), or -1. Within a day
    // both only grow, so the search goes on from where the last one stopped.
    int nextOpenSecond(int from, int lastFired) {
        const qint64 lowest = std::max<qint64>(lastFired + 1, from - width_);
        while (next_ < starts_.size() && starts_[next_] < lowest) {
            ++next_;
        }
        if (next_ == starts_.size()) {
            return -1;
        }
        const int second = std::max(starts_[next_], from);
        return second < kSecondsPerDay ? second : -1;
    }

  private:
    qint64 width_;
    std::vector<int> starts_;
    size_t next_ = 0;
};

// Kept small: a year of a large timetable fires tens of millions of starts.
struct Fired {
    qint32 second;
    quint16 index;
    quint16 start[3];  // the matched start's hour, minute and second
};

LocalDateTime atSecond(const LocalDateTime& date, int second) {
    LocalDateTime moment = date;
    moment.hour = static_cast<quint16>(second / 3600);
    moment.minute = static_cast<quint16>(second / 60 % 60);
    moment.second = static_cast<quint16>(second % 60);
    return moment;
}

}  // namespace

void previewStarts(ProgrammeTable table, const HolidayCalendar& calendar, int year, int month,
                   int day, int days, const PreviewSink& sink) {
    std::vector<StartWindows> windows;
    for (Programme& p : table.items()) {
        p.lastStartTime = neverDateTime();
        windows.emplace_back(p);
    }
    StartIndexes indexes;
    indexes.update(table);
    LocalDateTime date = makeDateTime(year, month, day);
    ProgrammeStatus status = ProgrammeStatus::Enabled;
    LocalDateTime start;
    std::vector<Fired> fired;
    std::vector<Fired> ordered;
    std::vector<int> perSecond(kSecondsPerDay + 1);
    for (int d = 0; d < days; ++d) {
        fired.clear();
        // Programmes do not affect one another here, so each is followed through the day
        // on its own and the starts are put in order afterwards.
        for (int index = 0; index < table.size(); ++index) {
            Programme& p = table.forDueTest(index);
            StartIndex* startIndex = indexes.at(index);
            StartWindows& window = windows[static_cast<size_t>(index)];
            window.newDay();
            const LocalDateTime& last = p.lastStartTime;
            int lastFired =
                sameDate(last, date) ? last.hour * 3600 + last.minute * 60 + last.second : -1;
            int second = window.nextOpenSecond(0, lastFired);
            while (second >= 0) {
                int from = 0;
                if (isProgrammeDue(p, atSecond(date, second), calendar, status, start,
                                   startIndex)) {
                    p.lastStartTime = start;
                    fired.push_back({second,
                                     static_cast<quint16>(index),
                                     {start.hour, start.minute, start.second}});
                    lastFired = start.hour * 3600 + start.minute * 60 + start.second;
                    from = second + 1;
                } else {
                    from = (second / 60 + 1) * 60;
                }
                second = from < kSecondsPerDay ? window.nextOpenSecond(from, lastFired) : -1;
            }
        }
        // By second, and within a second in table order, which is the order they were found
        // in: a counting sort keeps it.
        std::fill(perSecond.begin(), perSecond.end(), 0);
        for (const Fired& f : fired) {
            ++perSecond[static_cast<size_t>(f.second) + 1];
        }
        for (size_t k = 1; k < perSecond.size(); ++k) {
            perSecond[k] += perSecond[k - 1];
        }
        ordered.resize(fired.size());
        for (const Fired& f : fired) {
            ordered[static_cast<size_t>(perSecond[static_cast<size_t>(f.second)]++)] = f;
        }
        for (const Fired& f : ordered) {
            const LocalDateTime moment = atSecond(date, f.second);
            LocalDateTime matched = moment;
            matched.hour = f.start[0];
            matched.minute = f.start[1];
            matched.second = f.start[2];
            sink(moment, matched, f.index);
        }
        date = addSeconds(date, kSecondsPerDay);
    }
}

namespace {

// printf's "%.Nd" of a non-negative value, at least `width` digits, then the separator.
char* putField(char* at, unsigned value, int width, char separator) {
    if (width == 2 && value < 100) {
        at[0] = static_cast<char>('0' + value / 10);
        at[1] = static_cast<char>('0' + value % 10);
        at += 2;
    } else {
        char digits[12];
        int n = 0;
        do {
            digits[n++] = static_cast<char>('0' + value % 10);
            value /= 10;
        } while (value != 0);
        for (int k = n; k < width; ++k) {
            *at++ = '0';
        }
        while (n > 0) {
            *at++ = digits[--n];
        }
    }
    *at++ = separator;
    return at;
}

}  // namespace

void appendPreviewLine(std::string& out, const LocalDateTime& moment, const LocalDateTime& start,
                       const QByteArray& name) {
    // Nine fields of at most five digits and their separators.
    char line[64];
    char* at = putField(line, moment.year, 4, '-');
    at = putField(at, moment.month, 2, '-');
    at = putField(at, moment.day, 2, ' ');
    at = putField(at, moment.hour, 2, ':');
    at = putField(at, moment.minute, 2, ':');
    at = putField(at, moment.second, 2, '\t');
    at = putField(at, start.hour, 2, ':');
    at = putField(at, start.minute, 2, ':');
    at = putField(at, start.second, 2, '\t');
    out.append(line, static_cast<size_t>(at - line));
    out.append(name.constData(), static_cast<size_t>(name.size()));
    out.push_back('\n');
}

void loadTimetableForTool(const QString& dataFolder, ProgrammeTable& table,
                          HolidayCalendar& calendar) {
    QString message;
    if (!loadProgrammes(dataFolder, table, message)) {
        std::fprintf(stderr, "%s\n", message.toUtf8().constData());
    }
    if (!loadHolidayCalendar(dataFolder, calendar, message)) {
        std::fprintf(stderr, "%s\n", message.toUtf8().constData());
    }
}

int runPreviewCommand(const QStringList& arguments, const QString& dataFolder) {
    LocalDateTime first;
    const bool dateOk = arguments.size() == 2 && parseCommandDate(arguments[0], first);
    bool daysOk = false;
    const int days = arguments.size() == 2 ? arguments[1].toInt(&daysOk) : 0;
    if (!dateOk || !daysOk || days < 0 || days > kMaxPreviewDays) {
        std::fprintf(stderr, "usage: kelvora-broadcasting --preview YYYY-MM-DD N\n");
        return 2;
    }
    ProgrammeTable table;
    HolidayCalendar calendar;
    loadTimetableForTool(dataFolder, table, calendar);
    std::vector<QByteArray> names;
    for (const Programme& p : std::as_const(table).items()) {
        names.push_back(programmeName(p).toUtf8());
    }
    constexpr size_t kChunk = 1 << 20;
    std::string out;
    out.reserve(kChunk + 1024);
    previewStarts(table, calendar, first.year, first.month, first.day, days,
                  [&](const LocalDateTime& moment, const LocalDateTime& start, int row) {
                      appendPreviewLine(out, moment, start, names[static_cast<size_t>(row)]);
                      if (out.size() >= kChunk) {
                          std::fwrite(out.data(), 1, out.size(), stdout);
                          out.clear();
                      }
                  });
    std::fwrite(out.data(), 1, out.size(), stdout);
    std::fflush(stdout);
    return 0;
}
