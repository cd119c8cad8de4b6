#include "core/timed/bell_check.h"

#include <QFileInfo>
#include <QHash>
#include <QPointer>
#include <QSet>
#include <algorithm>

#include "core/support/music_files.h"
#include "core/timed/preview.h"

namespace {

constexpr qint64 kDaySeconds = 86'400;
// Changes come in bursts (a save, a copy of many files): one check after them.
constexpr int kSettleMs = 500;
// The daily check waits until the new day has surely begun.
constexpr int kDailyCheckSecond = 30;

bool isLocalPath(const QString& path) {
    const bool network = path.size() >= 2 && (path[0] == u'/' || path[0] == u'\\') &&
                         (path[1] == u'/' || path[1] == u'\\');
    return !network && networkMountOf(path).isEmpty();
}

}  // namespace

std::vector<DueStart> startsInNextDay(const ProgrammeTable& table, const HolidayCalendar& calendar,
                                      const LocalDateTime& from) {
    std::vector<DueStart> starts;
    const qint64 first = dateTimeTicks(from);
    const qint64 last = first + kDaySeconds * kTicksPerSecond;
    previewStarts(
        table, calendar, from.year, from.month, from.day, 2,
        [&](const LocalDateTime& moment, const LocalDateTime& start, int row) {
            const Programme& p = table.at(row);
            const qint64 at = dateTimeTicks(moment);
            if (at >= first && at <= last) {
                starts.push_back({start, programmeName(p), programmePath(p), p.singleFile == 0});
            }
        });
    return starts;
}

BellCheck::BellCheck(const ProgrammeTable& table, const HolidayCalendar& calendar,
                     const SystemSettings& settings, const Clock& clock, MusicProbe music,
                     DeviceProbe device, QObject* parent)
    : QObject(parent),
      table_(table),
      calendar_(calendar),
      settings_(settings),
      clock_(clock),
      music_(std::move(music)),
      device_(std::move(device)),
      lastDaily_(wholeSecond(clock.now())) {
    pool_.setMaxThreadCount(1);
    soon_.setSingleShot(true);
    soon_.setInterval(kSettleMs);
    connect(&soon_, &QTimer::timeout, this, &BellCheck::runNow);
    connect(&watcher_, &QFileSystemWatcher::fileChanged, this, &BellCheck::request);
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, this, &BellCheck::request);
}

BellCheck::~BellCheck() {
    // A check under way stops at its next path; at most one probe is waited for.
    latest_->store(-1);
    pool_.clear();
    pool_.waitForDone();
}

QStringList BellCheck::watchedPaths() const {
    return watcher_.files() + watcher_.directories();
}

void BellCheck::request() {
    soon_.start();
}

void BellCheck::update() {
    const LocalDateTime now = wholeSecond(clock_.now());
    const bool newDay =
        now.year != lastDaily_.year || now.month != lastDaily_.month || now.day != lastDaily_.day;
    if (newDay && now.hour * 3600 + now.minute * 60 + now.second >= kDailyCheckSecond) {
        lastDaily_ = now;
        runNow();
    }
}

void BellCheck::runNow() {
    soon_.stop();
    const int generation = ++generation_;
    latest_->store(generation);
    const std::vector<DueStart> starts =
        startsInNextDay(table_, calendar_, wholeSecond(clock_.now()));
    std::vector<Finding> jobs;
    QSet<QString> known;
    for (const DueStart& s : starts) {
        if (!known.contains(s.path)) {
            known.insert(s.path);
            jobs.push_back({s.path, s.folder, QString(), false});
        }
    }
    // The list marks every programme that would not play, also those not due today.
    for (const Programme& p : table_.items()) {
        const QString path = programmePath(p);
        if (!known.contains(path)) {
            known.insert(path);
            jobs.push_back({path, p.singleFile == 0, QString(), false});
        }
    }
    const QString deviceName = outputDeviceName(settings_);
    QPointer<BellCheck> self(this);
    pool_.start([self, generation, starts, jobs, deviceName, latest = latest_, music = music_,
                 device = device_]() mutable {
        for (Finding& job : jobs) {
            if (latest->load() != generation) {
                return;  // a newer check is on its way, or the program ends
            }
            job.watchable = isLocalPath(job.path);
            job.problem = music(job.path, job.folder);
        }
        const QString deviceProblem = starts.empty() ? QString() : device(deviceName);
        if (latest->load() != generation) {
            return;
        }
        QMetaObject::invokeMethod(
            self.data(),
            [self, generation, starts, jobs, deviceProblem] {
                if (self) {
                    self->finish(generation, starts, jobs, deviceProblem);
                }
            },
            Qt::QueuedConnection);
    });
}

void BellCheck::finish(int generation, const std::vector<DueStart>& starts,
                       const std::vector<Finding>& findings, const QString& deviceProblem) {
    if (generation != generation_) {
        return;
    }
    std::vector<StartProblem> problems;
    if (!deviceProblem.isEmpty()) {
        problems.push_back({starts.front().start, QString(), deviceProblem});
    }
    QHash<QString, QString> problemOf;
    for (const Finding& f : findings) {
        if (!f.problem.isEmpty()) {
            problemOf.insert(f.path, f.problem);
        }
    }
    for (const DueStart& s : starts) {
        if (const auto found = problemOf.constFind(s.path); found != problemOf.constEnd()) {
            problems.push_back({s.start, s.name, *found});
        }
    }
    watch(findings);
    emit checked(problems);
    emit pathsChecked(problemOf);
}

void BellCheck::watch(const std::vector<Finding>& findings) {
    const QStringList old = watchedPaths();
    if (!old.isEmpty()) {
        watcher_.removePaths(old);
    }
    QStringList paths;
    for (const Finding& f : findings) {
        if (!f.watchable || f.path.isEmpty()) {
            continue;
        }
        // A missing path is watched through the nearest folder that exists, so that its
        // return is noticed too.
        QFileInfo info(f.path);
        while (!info.exists() && info.absolutePath() != info.absoluteFilePath()) {
            info = QFileInfo(info.absolutePath());
        }
        if (info.exists() && !paths.contains(info.absoluteFilePath())) {
            paths.append(info.absoluteFilePath());
        }
    }
    if (!paths.isEmpty()) {
        watcher_.addPaths(paths);
    }
}
