// Cost of the 50 ms tick with 256 programmes x 512 starts and nothing due, measured where it
// is spent: the dispatcher's tick alone, the program's own spine (Program with its tick
// timer, clock, lists and event loop) in this process, and the real program from outside.
// Between ticks a running program sleeps, so its tick meets cold caches and a slow core; the
// spine and the process figures are CPU time per tick over seconds of real ticking.
//   bash scripts/with-test-services.sh build-ci/bench/engine_bench [--quick] [--old OLDER_PROGRAM]
//   build-ci/bench/engine_bench --data FOLDER   (writes the timetable only)
#include <sys/resource.h>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>

#include "alloc_counter.h"
#include "core/timed/dispatcher.h"
#include "core/timed/programme_file.h"
#include "ui/app/program.h"

namespace {

constexpr int kTickMs = 50;

class NoBackend : public AudioBackend {
  public:
    std::unique_ptr<MediaPlayer> createPlayer() override { return nullptr; }
    bool isMediaFrameworkAvailable() override { return true; }
    bool areDecoderModulesIntact() override { return true; }
    QString errorText(qint32, const QString&) override { return QString(); }
};

class NoReports : public TimedEventReporter {
  public:
    void reportTimedEvent(const LocalDateTime&, const QString&) override {}
};

class FixedClock : public Clock {
  public:
    LocalDateTime now() const override { return makeDateTime(2026, 12, 7, 3, 33, 33); }
    void sleepMs(int) override {}
};

// 512 starts each, spread over the 20 hours from `firstSecond` on (second of the day), so a
// moment in the 4 hours before it finds nothing due.
ProgrammeTable bigTable(int programmes, int starts, int firstSecond) {
    ProgrammeTable table;
    for (int i = 0; i < programmes; ++i) {
        Programme p = newProgramme();
        setProgrammeName(p, QStringLiteral("节目 %1").arg(i));
        setProgrammePath(p, QStringLiteral("/music/%1.mp3").arg(i));
        p.startCount = starts;
        for (int k = 0; k < starts; ++k) {
            const int second = (firstSecond + (i * 37 + k * (72000 / starts)) % 72000) % 86400;
            p.startTimes[k] = ClockTime{second / 3600, second / 60 % 60, second % 60};
        }
        std::sort(p.startTimes, p.startTimes + starts, [](const ClockTime& a, const ClockTime& b) {
            return secondsOfDay(a) < secondsOfDay(b);
        });
        table.append(p);
    }
    return table;
}

// A table that has nothing due for the next hours of today.
ProgrammeTable quietTableFromNow() {
    const QTime now = QTime::currentTime();
    return bigTable(256, 512, (now.msecsSinceStartOfDay() / 1000 + 3600) % 86400);
}

void tickCost() {
    FixedClock clock;
    NoBackend backend;
    NoReports reports;
    SystemSettings settings = firstRunSettings();
    ProgrammeTable table = bigTable(256, 512, 14400);
    HolidayCalendar calendar;
    RunEngine runs(clock, backend, reports, settings);
    Dispatcher dispatcher(clock, table, calendar, runs, reports);
    ProgrammeListModel list(table, clock);
    dispatcher.setProgrammeList(&list);
    dispatcher.dispatchTick();
    const int ticks = 2000;
    const std::size_t before = allocationCount();
    const auto t0 = std::chrono::steady_clock::now();
    for (int i = 0; i < ticks; ++i) {
        dispatcher.dispatchTick();
    }
    const auto t1 = std::chrono::steady_clock::now();
    std::printf(
        "dispatchTick alone, back to back, 256 programmes x 512 starts, nothing due: %.1f us per "
        "tick, %zu allocations in %d ticks\n",
        std::chrono::duration<double, std::micro>(t1 - t0).count() / ticks,
        allocationCount() - before, ticks);
}

double cpuSecondsOfThisProcess() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

void pump(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// The program's spine in this process, headless, as main() builds it.
void programSpine(int seconds) {
    QTemporaryDir roaming;
    QString message;
    const AppPaths paths = AppPaths::forFolders(roaming.path(), roaming.path());
    saveProgrammes(paths.dataFolder, quietTableFromNow(), true, message);
    Program program(paths, true);
    if (!program.initialise(StartArguments{})) {
        std::printf("the program did not start\n");
        return;
    }
    pump(5000);  // past start-up and the warm-up
    const double before = cpuSecondsOfThisProcess();
    QElapsedTimer wall;
    wall.start();
    pump(seconds * 1000);
    const double used = cpuSecondsOfThisProcess() - before;
    const double ticks = wall.elapsed() / static_cast<double>(kTickMs);
    std::printf(
        "the program's spine in this process (Program, headless), 256 x 512, nothing due: %.1f us "
        "of CPU per tick over %d s\n",
        used / ticks * 1e6, seconds);
    program.shutdown(true);
}

// CPU time of all threads of a process, to the nanosecond (from the scheduler's accounts).
double cpuSeconds(qint64 pid) {
    double total = 0;
    const QDir tasks(QStringLiteral("/proc/%1/task").arg(pid));
    for (const QString& task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile stat(tasks.filePath(task) + QStringLiteral("/schedstat"));
        if (stat.open(QIODevice::ReadOnly)) {
            total += stat.readAll().split(' ').value(0).toDouble() / 1e9;
        }
    }
    return total;
}

// The real program from outside: its CPU time per tick while it waits.
void runningProgram(const QString& binary, const ProgrammeTable& table, const char* label,
                    int seconds) {
    QTemporaryDir roaming;
    QTemporaryDir runtime;
    QString message;
    saveProgrammes(roaming.path() + QStringLiteral("/KelvoraBroadcasting9"), table, true, message);
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_DATA_HOME"), roaming.path());
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    program.setProcessEnvironment(env);
    program.setStandardOutputFile(QProcess::nullDevice());
    program.start(binary, {QStringLiteral("--headless")});
    program.waitForStarted();
    QThread::sleep(5);  // past start-up
    const double before = cpuSeconds(program.processId());
    QThread::sleep(static_cast<unsigned>(seconds));
    const double used = cpuSeconds(program.processId()) - before;
    program.terminate();
    program.waitForFinished();
    const double ticks = seconds * 1000.0 / kTickMs;
    std::printf("%s --headless, %s: %.1f us of CPU per tick over %d s (%.2f %% of one core)\n",
                qPrintable(binary), label, used / ticks * 1e6, seconds, used / seconds * 100.0);
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const qsizetype at = args.indexOf(QStringLiteral("--old"));
    const QString older = at > 0 && at + 1 < args.size() ? args[at + 1] : QString();
    // --data FOLDER: writes the quiet 256 x 512 timetable there and ends, for profiling the
    // program with other tools.
    if (const qsizetype data = args.indexOf(QStringLiteral("--data"));
        data > 0 && data + 1 < args.size()) {
        QString message;
        return saveProgrammes(args[data + 1], quietTableFromNow(), true, message) ? 0 : 1;
    }
    const bool quick = args.contains(QStringLiteral("--quick"));
    const int seconds = quick ? 10 : 30;
    tickCost();
    programSpine(seconds);
    const ProgrammeTable big = quietTableFromNow();
    runningProgram(QStringLiteral(KB_PROGRAM_PATH), big, "256 x 512, nothing due", seconds);
    if (!older.isEmpty()) {
        runningProgram(older, big, "256 x 512, nothing due", seconds);
    }
    // What a tick costs besides the due tests: timer, clock, event loop.
    runningProgram(QStringLiteral(KB_PROGRAM_PATH), ProgrammeTable(), "no programmes", seconds);
    if (!quick) {
        runningProgram(QStringLiteral(KB_PROGRAM_PATH), bigTable(50, 20, 14400),
                       "50 x 20, the usual school", 60);
    }
    return 0;
}
