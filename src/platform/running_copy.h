#pragma once

#include <QString>
#include <QVariantList>

// The running program's D-Bus name on the user's session bus, its object and interface.
inline const QString kRemoteService = QStringLiteral("org.kelvora.Broadcasting");
inline const QString kRemotePath = QStringLiteral("/org/kelvora/Broadcasting");
inline const QString kRemoteInterface = QStringLiteral("org.kelvora.Broadcasting1");

// What asking the running copy came to.
struct RunningCopyAnswer {
    enum class Outcome { Answered, NotRunning, Failed };
    Outcome outcome = Outcome::NotRunning;
    QString text;  // the reply's text, or the bus's words for a failure
};

// Calls a method of the running copy (arguments as given) and waits a few seconds at most.
RunningCopyAnswer askRunningCopy(const QString& method, const QVariantList& arguments = {});

// The command-line end of it: prints the answer (or "没有运行中的程序" on standard error) and
// gives the exit status: 0 answered, 3 no copy runs, 1 the call failed.
int runRunningCopyCommand(const QString& method, const QVariantList& arguments = {});
