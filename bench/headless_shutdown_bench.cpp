// The program without a window, a daily shutdown (or a weekly restart) due shortly, and a
// stand-in logind (python3-dbusmock) on a private system bus: prints when the program asked
// logind to power off (or reboot), counted from the scheduled second. The countdown is 60
// steps of 950 ms.
//   headless_shutdown_bench [shutdown|restart] [SECONDS_AHEAD]
#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <cstdio>

#include "core/settings/settings_file.h"
#include "core/storage/app_paths.h"

namespace {

QString startBus(QProcess& daemon) {
    daemon.start(QStringLiteral("dbus-daemon"),
                 {QStringLiteral("--session"), QStringLiteral("--nofork"),
                  QStringLiteral("--print-address=1")});
    return daemon.waitForReadyRead(10000) ? QString::fromUtf8(daemon.readLine()).trimmed()
                                          : QString();
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const bool restart = argc > 1 && QByteArray(argv[1]) == "restart";
    const int ahead = argc > 2 ? QByteArray(argv[2]).toInt() : 60;
    QTemporaryDir work;
    QProcess systemBus;
    QProcess sessionBus;
    const QString system = startBus(systemBus);
    const QString session = startBus(sessionBus);
    const QString log = work.filePath(QStringLiteral("logind.log"));
    QProcess logind;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"), system);
    logind.setProcessEnvironment(env);
    logind.start(
        QStringLiteral("/usr/bin/python3"),
        {QStringLiteral("-m"), QStringLiteral("dbusmock"), QStringLiteral("--system"),
         QStringLiteral("--template"), QStringLiteral("logind"), QStringLiteral("-l"), log});
    QThread::sleep(2);

    const QString data = work.filePath(QStringLiteral("data/") + kDataFolderName);
    const QDateTime due = QDateTime::currentDateTime().addSecs(ahead);
    SystemSettings settings = firstRunSettings();
    const ClockTime at{due.time().hour(), due.time().minute(), due.time().second()};
    if (restart) {
        settings.restartEnabled = 1;
        settings.restartTime = at;
        std::fill(std::begin(settings.restartDays), std::end(settings.restartDays), 1);
    } else {
        settings.dailyShutdownEnabled = 1;
        settings.dailyShutdownTime = at;
    }
    QString message;
    if (!saveSystemSettings(data, settings, message)) {
        std::fprintf(stderr, "%s\n", qPrintable(message));
        return 1;
    }
    env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), session);
    env.insert(QStringLiteral("XDG_DATA_HOME"), work.filePath(QStringLiteral("data")));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), work.path());
    QProcess program;
    program.setProcessEnvironment(env);
    program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    program.start(QStringLiteral(KB_PROGRAM_PATH), {QStringLiteral("--headless")});
    const QString call = restart ? QStringLiteral("Reboot") : QStringLiteral("PowerOff");
    const QDateTime dueSecond(due.date(), QTime(at.hour, at.minute, at.second));
    const auto finish = [&](int code) {
        for (QProcess* p : {&program, &logind, &systemBus, &sessionBus}) {
            p->kill();
            p->waitForFinished(3000);
        }
        return code;
    };
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < (ahead + 120) * 1000) {
        QFile file(log);
        if (file.open(QIODevice::ReadOnly) && file.readAll().contains(call.toUtf8())) {
            const qint64 ms = dueSecond.msecsTo(QDateTime::currentDateTime());
            std::printf(
                "%s asked %.2f s after the scheduled second %s (countdown 60 x 950 ms = "
                "57 s); the program %s\n",
                qPrintable(call), ms / 1000.0, qPrintable(dueSecond.toString(u"HH:mm:ss")),
                program.waitForFinished(10000) ? "ended" : "still runs");
            return finish(0);
        }
        QThread::msleep(50);
    }
    std::printf("%s was never asked\n", qPrintable(call));
    return finish(1);
}
