// Cost of the 50 ms tick, and the program's CPU use while it waits.
//   build/bench/engine_bench            (the idle run takes a minute)
#include <unistd.h>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <chrono>
#include <cstdio>

#include "alloc_counter.h"
#include "timed/dispatcher.h"
#include "timed/programme_file.h"

namespace {

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

ProgrammeTable bigTable(int programmes, int starts) {
    ProgrammeTable table;
    for (int i = 0; i < programmes; ++i) {
        Programme p = newProgramme();
        setProgrammeName(p, QStringLiteral("节目 %1").arg(i));
        setProgrammePath(p, QStringLiteral("/music/%1.mp3").arg(i));
        p.startCount = starts;
        for (int k = 0; k < starts; ++k) {
            // From 04:00 on, so nothing is due at 03:33:33.
            const int second = 14400 + (i * 37 + k * (72000 / starts)) % 72000;
            p.startTimes[k] = ClockTime{second / 3600, second / 60 % 60, second % 60};
        }
        std::sort(p.startTimes, p.startTimes + starts, [](const ClockTime& a, const ClockTime& b) {
            return secondsOfDay(a) < secondsOfDay(b);
        });
        table.append(p);
    }
    return table;
}

void tickCost() {
    FixedClock clock;
    NoBackend backend;
    NoReports reports;
    SystemSettings settings = firstRunSettings();
    ProgrammeTable table = bigTable(256, 512);
    HolidayCalendar calendar;
    RunEngine runs(clock, backend, reports, settings);
    Dispatcher dispatcher(clock, table, calendar, runs, reports);
    // The program's own programme list, whose status cells every tick updates.
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
        "dispatchTick, 256 programmes x 512 starts, nothing due: %.1f us per tick, "
        "%zu allocations in %d ticks\n",
        std::chrono::duration<double, std::micro>(t1 - t0).count() / ticks,
        allocationCount() - before, ticks);
}

double cpuSeconds(qint64 pid) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly)) {
        return -1;
    }
    const QList<QByteArray> fields = stat.readAll().split(' ');
    return (fields.value(13).toDouble() + fields.value(14).toDouble()) / ::sysconf(_SC_CLK_TCK);
}

void idleCpu() {
    QTemporaryDir roaming;
    QTemporaryDir runtime;
    QString message;
    saveProgrammes(roaming.path() + QStringLiteral("/KelvoraBroadcasting9"), bigTable(50, 20), true,
                   message);
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_DATA_HOME"), roaming.path());
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    program.setProcessEnvironment(env);
    program.start(QStringLiteral(KB_PROGRAM_PATH), {QStringLiteral("--headless")});
    program.waitForStarted();
    QThread::sleep(5);  // past start-up
    const double before = cpuSeconds(program.processId());
    QThread::sleep(60);
    const double used = cpuSeconds(program.processId()) - before;
    program.terminate();
    program.waitForFinished();
    std::printf(
        "kelvora-broadcasting --headless, 50 programmes x 20 starts, a minute of idle ticking: "
        "%.2f s of CPU (%.2f %% of one core)\n",
        used, used / 60.0 * 100.0);
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    tickCost();
    if (!app.arguments().contains(QStringLiteral("--quick"))) {
        idleCpu();
    }
    return 0;
}
