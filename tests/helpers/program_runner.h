#pragma once

#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

// A command run to its end: exit code (-1 when it crashed or hung), what it printed.
struct ToolResult {
    int exitCode = -1;
    QString out;
    QString err;
};
ToolResult runTool(const QString& program, const QStringList& arguments,
                   const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment());

// Writes a timetable of one programme that starts `secondsAhead` seconds from now and plays
// `file` on the output named `device`, into the data folder.
bool writeDueProgramme(const QString& dataFolder, const QString& name, const QString& file,
                       int secondsAhead, const QString& device, QString& message);

// Runs the real program in a process of its own with a private data folder and runtime
// folder, and reads what it printed and logged. Unless a test gives it a session bus, it gets
// one of its own: programs of tests that run side by side never meet on a shared bus (the
// second could not take the program's D-Bus name and would say so).
class ProgramRunner {
  public:
    explicit ProgramRunner(const QString& programPath = QStringLiteral(KB_PROGRAM_PATH));
    ~ProgramRunner();

    // Variables for the program on top of its own data and runtime folders.
    void addEnvironment(const QProcessEnvironment& extra);
    bool start(const QStringList& arguments);
    bool waitForOutput(const QString& text, int timeoutMs);
    bool waitForError(const QString& text, int timeoutMs);
    // Sends the signal and returns the exit code, or -1 when the program did not end.
    int stop(int signalNumber, int timeoutMs = 10000);

    QString output();
    QString errors();
    // For a failure message: whether it still runs, what it wrote to stderr, and where its
    // threads wait (with gdb).
    QString describe();
    QString dataFolder() const;
    QString logPath() const;
    QStringList logLines() const;
    QProcessEnvironment environment() const { return env_; }
    QProcess::ProcessState state() const { return process_.state(); }
    QString roamingFolder() const { return roaming_.path(); }

  private:
    void drain();
    bool startOwnSessionBus();
    QString programPath_;
    QTemporaryDir roaming_;
    QTemporaryDir runtime_;
    QProcessEnvironment env_;
    QProcess process_;
    QProcess sessionBus_;
    QString out_;
    QString err_;
};
