// Cost of the due test and of the preview, and the preview command's output against an
// earlier build of the program.
//   build-ci/bench/timetable_bench [--old OLDER_PROGRAM] [--data FOLDER]
#include <QCoreApplication>
#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>

#include "alloc_counter.h"
#include "core/holidays/holiday_file.h"
#include "core/timed/preview.h"
#include "core/timed/programme_file.h"
#include "core/timed/schedule.h"

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
    // Some variety for the preview: starts out of order, days of the month, date ranges and
    // disabled programmes.
    if (index % 5 == 1) {
        std::reverse(p.startTimes, p.startTimes + starts);
    }
    if (index % 7 == 3) {
        p.byWeekday = 0;
        for (int d = 0; d < 31; ++d) {
            p.monthDays[d] = (d + index) % 3 == 0 ? 1 : 0;
        }
    }
    if (index % 11 == 5) {
        p.dateRange = DateHourRange{2026, 11, 2, 9, 2027, 3, 1, 14};
    }
    if (index % 13 == 0) {
        p.disabled = 1;
    }
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
                  [&](const LocalDateTime&, const LocalDateTime&, int) { ++lines; });
    const auto t1 = std::chrono::steady_clock::now();
    std::printf("preview %s over %d days: %.2f s, %ld starts\n", label, days,
                std::chrono::duration<double>(t1 - t0).count(), lines);
}

// A school calendar: a week off, a holiday afternoon and two adjusted days.
HolidayCalendar schoolCalendar() {
    HolidayCalendar calendar;
    Holiday week = blankHoliday();
    week.range = DateHourRange{2026, 10, 1, 0, 2026, 10, 7, 24};
    calendar.holidays.push_back(week);
    Holiday afternoon = blankHoliday();
    afternoon.range = DateHourRange{2027, 1, 15, 12, 2027, 1, 15, 18};
    calendar.holidays.push_back(afternoon);
    for (const auto& [a, b] : {std::pair{CalendarDate{2026, 9, 27}, CalendarDate{2026, 10, 8}},
                               std::pair{CalendarDate{2026, 10, 10}, CalendarDate{2026, 10, 9}}}) {
        AdjustedDay day = blankAdjustedDay();
        day.dateA = a;
        day.dateB = b;
        calendar.adjustedDays.push_back(day);
    }
    return calendar;
}

void writeData(const QString& data, const ProgrammeTable& table) {
    QString message;
    saveProgrammes(data, table, true, message);
    saveHolidayCalendar(data, schoolCalendar(), true, message);
}

QStringList yearArguments() {
    return {QStringLiteral("--preview"), QStringLiteral("2026-09-01"), QStringLiteral("365")};
}

QProcessEnvironment environmentFor(const QString& roaming) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_DATA_HOME"), roaming);
    return env;
}

// Seconds of the command with its output thrown away: the median of three runs.
double timed(const QString& program, const QString& roaming) {
    std::vector<double> seconds;
    for (int i = 0; i < 3; ++i) {
        QProcess process;
        process.setProcessEnvironment(environmentFor(roaming));
        process.setStandardOutputFile(QProcess::nullDevice());
        QElapsedTimer timer;
        timer.start();
        process.start(program, yearArguments());
        process.waitForFinished(-1);
        seconds.push_back(timer.elapsed() / 1000.0);
    }
    std::sort(seconds.begin(), seconds.end());
    return seconds[1];
}

// The digest and size of what the command prints.
std::pair<QByteArray, qint64> output(const QString& program, const QString& roaming) {
    QProcess process;
    process.setProcessEnvironment(environmentFor(roaming));
    QCryptographicHash hash(QCryptographicHash::Sha256);
    qint64 bytes = 0;
    const auto take = [&] {
        const QByteArray chunk = process.readAllStandardOutput();
        bytes += chunk.size();
        hash.addData(chunk);
    };
    QObject::connect(&process, &QProcess::readyReadStandardOutput, take);
    process.start(program, yearArguments());
    process.waitForFinished(-1);
    take();
    return {hash.result().toHex().left(16), bytes};
}

// The command over a year and, given an earlier build of the program, the same by it and
// whether the two print the same bytes.
void previewCommand(const char* label, const ProgrammeTable& table, const QString& older) {
    QTemporaryDir roaming;
    writeData(roaming.path() + QStringLiteral("/KelvoraBroadcasting9"), table);
    const QString ours = QStringLiteral(KB_PROGRAM_PATH);
    std::printf("kelvora-broadcasting --preview 2026-09-01 365 > /dev/null, %s: %.2f s\n", label,
                timed(ours, roaming.path()));
    if (older.isEmpty()) {
        return;
    }
    std::printf("  the same by %s: %.2f s\n", qPrintable(older), timed(older, roaming.path()));
    const auto [digest, bytes] = output(ours, roaming.path());
    const auto [olderDigest, olderBytes] = output(older, roaming.path());
    std::printf("  output %lld bytes, sha256 %s; by the earlier build %lld bytes, sha256 %s: %s\n",
                static_cast<long long>(bytes), digest.constData(),
                static_cast<long long>(olderBytes), olderDigest.constData(),
                digest == olderDigest && bytes == olderBytes ? "identical" : "DIFFERENT");
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const auto option = [&](const char* name) {
        const qsizetype at = args.indexOf(QLatin1String(name));
        return at > 0 && at + 1 < args.size() ? args[at + 1] : QString();
    };
    // --data FOLDER: writes the large timetable there (XDG_DATA_HOME=FOLDER/..) and ends, for
    // timing the command with other tools.
    if (const QString data = option("--data"); !data.isEmpty()) {
        writeData(data, table(512, true));
        return 0;
    }
    // --old PROGRAM: an earlier build, whose preview must print the same.
    const QString older = option("--old");
    evaluationPass();
    previewInProcess("256 programmes x 20 starts (half counted, half 300 s)", table(20, true), 365);
    previewInProcess("256 programmes x 512 starts (counted)", table(512, false), 365);
    previewCommand("256 programmes x 20 starts, half counted, half 300 s", table(20, true), older);
    previewCommand("256 programmes x 512 starts, half counted, half 300 s", table(512, true),
                   older);
    return 0;
}
