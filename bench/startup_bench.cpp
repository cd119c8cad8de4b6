// Headless start-up: from the launch of `kelvora-broadcasting --headless` to its "软件启动" line,
// beside GStreamer's own start (`gst-launch-1.0 fakesrc num-buffers=1 ! fakesink`, launch to
// exit). Each the median of 20 launches, after one not counted.
//   bash scripts/with-test-services.sh build-ci/bench/startup_bench [--runs N]
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <vector>

namespace {

struct Figures {
    double median = 0;
    double least = 0;
    double most = 0;
};

Figures figures(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? Figures{}
                          : Figures{values[values.size() / 2], values.front(), values.back()};
}

// Milliseconds from the launch to the start-up line, or -1.
double headlessStart() {
    QTemporaryDir home;
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_DATA_HOME"), home.path());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.path());
    program.setProcessEnvironment(env);
    QElapsedTimer timer;
    timer.start();
    program.start(QStringLiteral(KB_PROGRAM_PATH), {QStringLiteral("--headless")});
    double ms = -1;
    QByteArray out;
    while (ms < 0 && timer.elapsed() < 10000 && program.state() != QProcess::NotRunning) {
        if (program.waitForReadyRead(20)) {
            out += program.readAllStandardOutput();
            if (out.contains("软件启动")) {
                ms = timer.nsecsElapsed() / 1e6;
            }
        }
    }
    ::kill(static_cast<pid_t>(program.processId()), SIGINT);
    program.waitForFinished(10000);
    return ms;
}

double gstreamerStart() {
    QProcess gst;
    gst.setStandardOutputFile(QProcess::nullDevice());
    QElapsedTimer timer;
    timer.start();
    gst.start(QStringLiteral("gst-launch-1.0"),
              {QStringLiteral("-q"), QStringLiteral("fakesrc"), QStringLiteral("num-buffers=1"),
               QStringLiteral("!"), QStringLiteral("fakesink")});
    gst.waitForFinished(10000);
    return gst.exitCode() == 0 ? timer.nsecsElapsed() / 1e6 : -1;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const qsizetype at = args.indexOf(QStringLiteral("--runs"));
    const int runs = at > 0 && at + 1 < args.size() ? args[at + 1].toInt() : 20;
    std::vector<double> ours;
    std::vector<double> theirs;
    headlessStart();
    gstreamerStart();
    for (int i = 0; i < runs; ++i) {
        // In turn, so that both see the same machine.
        if (const double ms = headlessStart(); ms >= 0) {
            ours.push_back(ms);
        }
        if (const double ms = gstreamerStart(); ms >= 0) {
            theirs.push_back(ms);
        }
    }
    const Figures a = figures(ours);
    const Figures b = figures(theirs);
    std::printf(
        "kelvora-broadcasting --headless, launch to \"软件启动\": median %.1f ms (%.1f to "
        "%.1f, %zu runs)\n",
        a.median, a.least, a.most, ours.size());
    std::printf(
        "gst-launch-1.0 fakesrc num-buffers=1 ! fakesink, launch to exit: median %.1f ms "
        "(%.1f to %.1f, %zu runs)\n",
        b.median, b.least, b.most, theirs.size());
    return 0;
}
