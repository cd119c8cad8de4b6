#include "helpers/program_runner.h"

#include "helpers/test_environment.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QStandardPaths>
#include <QTime>
#include <csignal>

#include "core/settings/settings_file.h"
#include "core/timed/programme_file.h"

ToolResult runTool(const QString& program, const QStringList& arguments,
                   const QProcessEnvironment& env) {
    QProcess process;
    process.setProcessEnvironment(env);
    process.start(program, arguments);
    ToolResult result;
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished(3000);
        result.err = QStringLiteral("did not finish: ") + program;
    } else if (process.exitStatus() == QProcess::NormalExit) {
        result.exitCode = process.exitCode();
    }
    result.out += QString::fromUtf8(process.readAllStandardOutput());
    result.err += QString::fromUtf8(process.readAllStandardError());
    return result;
}

bool writeDueProgramme(const QString& dataFolder, const QString& name, const QString& file,
                       int secondsAhead, const QString& device, QString& message) {
    const QTime start = QTime::currentTime().addSecs(secondsAhead);
    ProgrammeTable table;
    Programme p = newProgramme();
    setProgrammeName(p, name);
    setProgrammePath(p, file);
    p.startTimes[0] = ClockTime{start.hour(), start.minute(), start.second()};
    table.append(p);
    SystemSettings settings = firstRunSettings();
    setOutputDeviceName(settings, device);
    return saveProgrammes(dataFolder, table, true, message) &&
           saveSystemSettings(dataFolder, settings, message);
}

ProgramRunner::ProgramRunner(const QString& programPath) : programPath_(programPath) {
    env_ = QProcessEnvironment::systemEnvironment();
    env_.insert(QStringLiteral("XDG_DATA_HOME"), roaming_.path());
    env_.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime_.path());
    process_.setProcessEnvironment(env_);
}

ProgramRunner::~ProgramRunner() {
    for (QProcess* process : {&process_, &sessionBus_}) {
        if (process->state() != QProcess::NotRunning) {
            process->kill();
            process->waitForFinished(3000);
        }
    }
}

void ProgramRunner::addEnvironment(const QProcessEnvironment& extra) {
    for (const QString& key : extra.keys()) {
        if (key != QLatin1String("XDG_DATA_HOME") && key != QLatin1String("XDG_RUNTIME_DIR")) {
            env_.insert(key, extra.value(key));
        }
    }
}

bool ProgramRunner::startOwnSessionBus() {
    if (env_.value(QStringLiteral("DBUS_SESSION_BUS_ADDRESS")) !=
            qEnvironmentVariable("DBUS_SESSION_BUS_ADDRESS") ||
        sessionBus_.state() != QProcess::NotRunning) {
        return true;
    }
    sessionBus_.start(QStringLiteral("dbus-daemon"),
                      {QStringLiteral("--session"), QStringLiteral("--nofork"),
                       QStringLiteral("--print-address=1")});
    while (!sessionBus_.canReadLine() && sessionBus_.waitForReadyRead(10000)) {
    }
    if (!sessionBus_.canReadLine()) {
        return false;
    }
    env_.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"),
                QString::fromUtf8(sessionBus_.readLine()).trimmed());
    return true;
}

bool ProgramRunner::start(const QStringList& arguments) {
    if (!startOwnSessionBus()) {
        err_ += QStringLiteral("the program's session bus did not start\n");
        return false;
    }
    process_.setProcessEnvironment(env_);
    process_.start(programPath_, arguments);
    return process_.waitForStarted(5000);
}

void ProgramRunner::drain() {
    out_ += QString::fromUtf8(process_.readAllStandardOutput());
    err_ += QString::fromUtf8(process_.readAllStandardError());
}

bool ProgramRunner::waitForOutput(const QString& text, int timeoutMs) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < timeoutMs) {
        drain();
        if (out_.contains(text)) {
            return true;
        }
        if (process_.state() == QProcess::NotRunning) {
            return false;
        }
        process_.waitForReadyRead(50);
    }
    drain();
    return out_.contains(text);
}

bool ProgramRunner::waitForError(const QString& text, int timeoutMs) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < timeoutMs) {
        drain();
        if (err_.contains(text)) {
            return true;
        }
        process_.waitForReadyRead(50);
    }
    drain();
    return err_.contains(text);
}

int ProgramRunner::stop(int signalNumber, int timeoutMs) {
    // A program that has ended has no id: kill(0) would signal the whole test run.
    const auto pid = static_cast<pid_t>(process_.processId());
    if (pid > 0) {
        ::kill(pid, signalNumber);
    }
    if (!process_.waitForFinished(timeoutMs)) {
        return -1;
    }
    drain();
    return process_.exitStatus() == QProcess::NormalExit ? process_.exitCode() : -1;
}

QString ProgramRunner::output() {
    drain();
    return out_;
}

QString ProgramRunner::errors() {
    drain();
    return err_;
}

QString ProgramRunner::describe() {
    drain();
    QString text = process_.state() == QProcess::NotRunning
                       ? QStringLiteral("the program ended (exit code %1)").arg(process_.exitCode())
                       : QStringLiteral("the program runs as pid %1").arg(process_.processId());
    if (!err_.isEmpty()) {
        text += QStringLiteral("; it wrote: ") + err_.right(2000);
    }
    // Where a program that should have shown something waits, when a debugger is at hand.
    if (process_.state() != QProcess::NotRunning &&
        !QStandardPaths::findExecutable(QStringLiteral("gdb")).isEmpty()) {
        const ToolResult stacks = runTool(
            QStringLiteral("gdb"),
            {QStringLiteral("-batch"), QStringLiteral("-p"), QString::number(process_.processId()),
             QStringLiteral("-ex"), QStringLiteral("thread apply all bt 10")});
        QStringList frames;
        for (const QString& line : stacks.out.split(u'\n')) {
            if (line.startsWith(u'#') || line.startsWith(QStringLiteral("Thread "))) {
                frames.append(line);
            }
        }
        text += QStringLiteral("\nits threads:\n") + frames.join(u'\n');
        if (frames.isEmpty()) {
            text += QStringLiteral("gdb: ") + stacks.err.right(500);
        }
    }
    // Each thread's name, state and the kernel function it waits in, even without a debugger.
    const QString tasks = QStringLiteral("/proc/%1/task").arg(process_.processId());
    for (const QString& task : QDir(tasks).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        const auto read = [&](const char* name) {
            QFile file(tasks + u'/' + task + u'/' + QLatin1String(name));
            return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.read(300)).trimmed()
                                                  : QString();
        };
        const QStringList stat = read("stat").section(u')', 1).split(u' ', Qt::SkipEmptyParts);
        text += QStringLiteral("\n  task %1 %2 %3 %4")
                    .arg(task, read("comm"), stat.value(0), read("wchan"));
    }
    return text;
}

QString ProgramRunner::dataFolder() const {
    return roaming_.path() + QStringLiteral("/KelvoraBroadcasting9");
}

QString ProgramRunner::logPath() const {
    return dataFolder() + QStringLiteral("/定时播日志t.txt");
}

QStringList ProgramRunner::logLines() const {
    return readPlayLogLines(logPath());
}
