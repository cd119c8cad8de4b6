// Cost of the due test and of the preview.
//   build/bench/timetable_bench
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>

#include "alloc_counter.h"
#include "timed/preview.h"
#include "timed/programme_file.h"
#include "timed/schedule.h"

namespace {

Programme programme(int index, int starts, bool counted) {
    Programme p = newProgramme();
    setProgrammeName(p, QStringLiteral("节目 %1").arg(index));
    setProgrammePath(p, QStringLiteral("/music/%1.mp3").arg(index));
    p.startCount = starts;
    for (int i = 0; i < starts; ++i) {
        // Between 04:00 and midnight, so a moment at night finds nothing due.
        const int second = 14400 + (index * 37 + i * (72000 / starts)) % 72000;
        p.startTimes[i] = ClockTime{second / 3600, second / 60 % 60, second % 60};
    }
    std::sort(p.startTimes, p.startTimes + starts, [](const ClockTime& a, const ClockTime& b) {
        return secondsOfDay(a) < secondsOfDay(b);
    });
    p.countByTracks = counted ? 1 : 0;
    p.secondsCount = 300;
    return p;
}

ProgrammeTable table(int starts, bool mixed) {
    ProgrammeTable t;
    for (int i = 0; i < 256; ++i) {
        t.append(programme(i, starts, !mixed || i % 2 == 0));
    }
    return t;
}

void evaluationPass() {
    ProgrammeTable t = table(512, false);
    HolidayCalendar calendar;
    // A moment at which no start is due, so every programme scans all its starts.
    const LocalDateTime moment = makeDateTime(2026, 12, 7, 3, 33, 33);
    ProgrammeStatus status;
    LocalDateTime start;
    int due = 0;
    const int passes = 2000;
    const std::size_t before = allocationCount();
    const auto t0 = std::chrono::steady_clock::now();
    for (int pass = 0; pass < passes; ++pass) {
        for (Programme& p : t.items()) {
            due += isProgrammeDue(p, moment, calendar, status, start) ? 1 : 0;
        }
    }
    const auto t1 = std::chrono::steady_clock::now();
    const std::size_t allocations = allocationCount() - before;
    const double us = std::chrono::duration<double, std::micro>(t1 - t0).count() / passes;
    std::printf(
        "due test, 256 programmes x 512 starts, nothing due: %.1f us per pass, "
        "%zu allocations in %d passes (due %d)\n",
        us, allocations, passes, due);
}

void previewInProcess(const char* label, const ProgrammeTable& t, int days) {
    HolidayCalendar calendar;
    long lines = 0;
    const auto t0 = std::chrono::steady_clock::now();
    previewStarts(t, calendar, 2026, 9, 1, days,
                  [&](const LocalDateTime&, const LocalDateTime&, const Programme&) { ++lines; });
    const auto t1 = std::chrono::steady_clock::now();
    std::printf("preview %s over %d days: %.2f s, %ld starts\n", label, days,
                std::chrono::duration<double>(t1 - t0).count(), lines);
}

void previewCommand() {
    QTemporaryDir roaming;
    const QString data = roaming.path() + QStringLiteral("/KelvoraBroadcasting9");
    QString message;
    saveProgrammes(data, table(20, true), true, message);
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_DATA_HOME"), roaming.path());
    process.setProcessEnvironment(env);
    process.setStandardOutputFile(QProcess::nullDevice());
    QElapsedTimer timer;
    timer.start();
    process.start(
        QStringLiteral(KB_PROGRAM_PATH),
        {QStringLiteral("--preview"), QStringLiteral("2026-09-01"), QStringLiteral("365")});
    process.waitForFinished(-1);
    std::printf(
        "kelvora-broadcasting --preview 2026-09-01 365 (256 programmes, 20 starts each, "
        "half counted, half 300 s): %.2f s, exit %d\n",
        timer.elapsed() / 1000.0, process.exitCode());
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    evaluationPass();
    previewInProcess("256 programmes x 20 starts (half counted, half 300 s)", table(20, true), 365);
    previewInProcess("256 programmes x 512 starts (counted)", table(512, false), 365);
    previewCommand();
    return 0;
}
