// Plays thousands of programmes in one run, as a school's PC would over weeks, and prints the
// open descriptors and resident memory as it goes. Every play must work, and neither figure
// may grow once the first plays have loaded what they need.
//   scripts/with-test-services.sh build-ci/bench/play_soak [--plays N] [--fd-limit N]
// With GST_TRACERS=leaks GST_DEBUG=GST_TRACER:7 the leak tracer lists what is left alive
// when GStreamer is shut down at the end.
#include <sys/resource.h>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <cstdio>
#include <cstdlib>

#include "audio/audio_graph.h"
#include "audio/engine_checks.h"
#include "audio/gst_support.h"
#include "core/timed/dispatcher.h"

namespace {

// Real time for the runs, but fades do not wait: the soak is about resources, not sound.
class QuickFadeClock : public Clock {
  public:
    LocalDateTime now() const override { return SystemClock().now(); }
    void sleepMs(int) override {}
};

struct Counts : TimedEventReporter {
    int starts = 0;    // players that started
    int failures = 0;  // runs that reported a failure
    QString lastFailure;
    void reportTimedEvent(const LocalDateTime&, const QString& text) override {
        if (text.contains(QStringLiteral("开始播放")) ||
            text.contains(QStringLiteral("音乐切换"))) {
            ++starts;
        } else if (text.contains(QStringLiteral("失败")) || text.contains(QStringLiteral("无效")) ||
                   text.contains(QStringLiteral("不存在"))) {
            ++failures;
            lastFailure = text;
        }
    }
};

int openDescriptors() {
    return static_cast<int>(QDir(QStringLiteral("/proc/self/fd"))
                                .entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)
                                .size());
}

long residentKb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) {
        return -1;
    }
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:")) {
            return line.mid(6).trimmed().split(' ').value(0).toLong();
        }
    }
    return -1;
}

bool makeTone(const QString& path, double seconds, int frequency) {
    return QProcess::execute(
               QStringLiteral("ffmpeg"),
               {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-y"),
                QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                QStringLiteral("sine=f=%1:d=%2").arg(frequency).arg(seconds), path}) == 0;
}

Programme programme(const QString& name, const QString& path, bool file, int count) {
    Programme p = newProgramme();
    setProgrammeName(p, name);
    setProgrammePath(p, path);
    p.singleFile = file ? 1 : 0;
    p.sequential = 1;
    p.countByTracks = 1;
    p.trackCount = count;
    return p;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    int plays = 2000;
    int fdLimit = 0;
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); i += 2) {
        if (args[i] == QStringLiteral("--plays")) {
            plays = args[i + 1].toInt();
        } else if (args[i] == QStringLiteral("--fd-limit")) {
            fdLimit = args[i + 1].toInt();
        }
    }
    if (fdLimit > 0) {
        rlimit limit{};
        getrlimit(RLIMIT_NOFILE, &limit);
        limit.rlim_cur = static_cast<rlim_t>(fdLimit);
        if (setrlimit(RLIMIT_NOFILE, &limit) != 0) {
            std::fprintf(stderr, "cannot set the descriptor limit\n");
            return 2;
        }
    }
    if (!initAudioEngine()) {
        std::fprintf(stderr, "GStreamer does not start\n");
        return 2;
    }
    warmUpAudioEngine();

    QTemporaryDir scratch;
    const QString folder = scratch.filePath(QStringLiteral("课间"));
    QDir().mkpath(folder);
    const QString bell = scratch.filePath(QStringLiteral("bell.wav"));
    const QString chime = scratch.filePath(QStringLiteral("chime.mp3"));
    const QString longer = scratch.filePath(QStringLiteral("long.flac"));
    bool made =
        makeTone(bell, 0.15, 880) && makeTone(chime, 0.2, 660) && makeTone(longer, 10.0, 440);
    for (int k = 1; k <= 3; ++k) {
        made = made && makeTone(folder + QStringLiteral("/%1.ogg").arg(k), 0.12, 300 + k * 100);
    }
    if (!made) {
        std::fprintf(stderr, "ffmpeg could not make the test files\n");
        return 2;
    }

    QuickFadeClock clock;
    Counts counts;
    SystemSettings settings = firstRunSettings();
    ProgrammeTable table;
    // Ends by itself (two decoders), a folder of tracks, one that is always cut short, and
    // one whose file has gone, which fails without a player.
    table.append(programme(QStringLiteral("铃声"), bell, true, 1));
    table.append(programme(QStringLiteral("提示音"), chime, true, 2));
    table.append(programme(QStringLiteral("课间"), folder, false, 2));
    table.append(programme(QStringLiteral("长曲"), longer, true, 1));
    table.append(
        programme(QStringLiteral("丢失"), scratch.filePath(QStringLiteral("gone.mp3")), true, 1));
    HolidayCalendar calendar;
    GstAudioBackend backend;
    RunEngine runs(clock, backend, counts, settings);
    Dispatcher dispatcher(clock, table, calendar, runs, counts);

    QElapsedTimer wall;
    wall.start();
    int expectedStarts = 0;
    int expectedFailures = 0;
    int runsStarted = 0;
    int firstFds = -1;
    long firstRss = -1;
    int nextReport = 20;
    bool stuck = false;
    while (counts.starts + counts.failures < plays && !stuck) {
        const int which = runsStarted++ % 9;
        // The long one twice as often: it is pre-empted by whatever comes next.
        const int index = which < 2 ? 0 : which < 3 ? 1 : which < 5 ? 2 : which < 8 ? 3 : 4;
        dispatcher.manualPlay(index, table.at(index).trackCount);
        // A file's later passes replay the same player; each track of a folder is a new one.
        expectedStarts += index == 4 ? 0 : index == 2 ? table.at(index).trackCount : 1;
        expectedFailures += index == 4 ? 1 : 0;
        QElapsedTimer run;
        run.start();
        while (!runs.isEmpty()) {
            if (index == 3 && run.elapsed() > 120) {
                break;  // the next manual play pre-empts it
            }
            if (run.elapsed() > 10000) {
                stuck = true;
                break;
            }
            dispatcher.dispatchTick();
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            QThread::msleep(5);
        }
        const int done = counts.starts + counts.failures;
        if (firstFds < 0 && done >= 20) {
            firstFds = openDescriptors();
            firstRss = residentKb();
        }
        if (done >= nextReport) {
            std::printf("plays %5d   descriptors %4d   resident %6ld kB   live pipelines %d\n",
                        done, openDescriptors(), residentKb(), liveAudioGraphs());
            std::fflush(stdout);
            nextReport =
                nextReport < 1000 ? (nextReport == 20 ? 100 : nextReport + 100) : nextReport + 500;
        }
    }
    runs.stopAllRuns(QStringLiteral("结束"), 0, wholeSecond(clock.now()));
    QCoreApplication::processEvents();
    const int lastFds = openDescriptors();
    const long lastRss = residentKb();
    std::printf("plays %5d   descriptors %4d   resident %6ld kB   live pipelines %d\n",
                counts.starts + counts.failures, lastFds, lastRss, liveAudioGraphs());
    std::printf("started %d of %d, failures %d of %d, %.1f s\n", counts.starts, expectedStarts,
                counts.failures, expectedFailures, wall.elapsed() / 1000.0);
    std::printf("growth after the first 20 plays: descriptors %+d, resident %+ld kB\n",
                lastFds - firstFds, lastRss - firstRss);
    if (counts.failures != expectedFailures) {
        std::printf("unexpected failure: %s\n", qPrintable(counts.lastFailure));
    }
    const bool ok = !stuck && counts.starts == expectedStarts &&
                    counts.failures == expectedFailures && liveAudioGraphs() == 0;
    std::printf("%s\n", ok ? "ok" : "FAILED");
    // Ends GStreamer here, so a leak tracer reports what the players left behind, and leaves
    // without the destructors of what still refers to it.
    std::fflush(stdout);
    gst_deinit();
    std::_Exit(ok ? 0 : 1);
}
