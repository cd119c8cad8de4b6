#include "helpers/desktop_session.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QThread>
#include <cstdio>

#include "helpers/test_environment.h"

bool waitUntil(const std::function<bool()>& ready, int baseMs) {
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < baseMs * machineBusyFactor()) {
        if (ready()) {
            return true;
        }
        QThread::msleep(50);
    }
    return ready();
}

DesktopSession::DesktopSession() = default;

DesktopSession::~DesktopSession() {
    for (auto it = processes_.rbegin(); it != processes_.rend(); ++it) {
        (*it)->terminate();
        if (!(*it)->waitForFinished(3000)) {
            (*it)->kill();
            (*it)->waitForFinished(1000);
        }
    }
    QDBusConnection::disconnectFromBus(QStringLiteral("kb-private-system"));
}

QProcess* DesktopSession::launch(const QString& program, const QStringList& arguments,
                                 const QProcessEnvironment& env, bool readOutput) {
    auto process = std::make_unique<QProcess>();
    process->setProcessEnvironment(env);
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    if (!readOutput) {
        process->setStandardOutputFile(QProcess::nullDevice());
    }
    process->start(program, arguments);
    if (!process->waitForStarted(5000)) {
        return nullptr;
    }
    processes_.push_back(std::move(process));
    return processes_.back().get();
}

QString DesktopSession::run(const QString& program, const QStringList& arguments) const {
    QProcess process;
    process.setProcessEnvironment(environment());
    process.start(program, arguments);
    process.waitForFinished(10000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

bool DesktopSession::start(bool withTray, bool withLogind) {
    const bool ok = startServices(withTray, withLogind);
    if (!ok) {
        fprintf(stderr, "desktop session: %s did not start\n", qPrintable(failedStep_));
    }
    return ok;
}

bool DesktopSession::startServices(bool withTray, bool withLogind) {
    failedStep_ = QStringLiteral("Xvfb");
    // Xvfb takes the first free display and names it once it answers: no two sessions, nor a
    // socket a killed run left, ever share one.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    QProcess* xvfb =
        launch(QStringLiteral("Xvfb"),
               {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-nolisten"),
                QStringLiteral("tcp"), QStringLiteral("-screen"), QStringLiteral("0"),
                QStringLiteral("1280x800x24")},
               env, true);
    const auto named = [&] {
        xvfb->waitForReadyRead(0);
        return xvfb->canReadLine() || xvfb->state() == QProcess::NotRunning;
    };
    if (xvfb == nullptr || !waitUntil(named, 10000) || !xvfb->canReadLine()) {
        return false;
    }
    display_ = QStringLiteral(":") + QString::fromLatin1(xvfb->readLine()).trimmed();
    env.insert(QStringLiteral("DISPLAY"), display_);
    failedStep_ = QStringLiteral("trayer");
    const auto panelShown = [&] {
        return run(QStringLiteral("xwininfo"), {QStringLiteral("-root"), QStringLiteral("-tree")})
            .contains(QStringLiteral("\"panel\""));
    };
    for (int attempt = 0; withTray && attempt < 3 && !panelShown(); ++attempt) {
        launch(QStringLiteral("trayer"),
               {QStringLiteral("--edge"), QStringLiteral("bottom"), QStringLiteral("--widthtype"),
                QStringLiteral("pixel"), QStringLiteral("--width"), QStringLiteral("120"),
                QStringLiteral("--heighttype"), QStringLiteral("pixel"), QStringLiteral("--height"),
                QStringLiteral("24")},
               env);
        waitUntil(panelShown, 3000);
    }
    if (withTray && !panelShown()) {
        return false;
    }
    failedStep_ = QStringLiteral("the private bus");
    // A private bus standing in for the system bus.
    systemBus_ = startPrivateBus(env);
    if (systemBus_.isEmpty()) {
        return false;
    }
    // A desktop has a session bus of its own, as a login has: the program on it never meets
    // the programs of other tests.
    failedStep_ = QStringLiteral("the session bus");
    if (sessionBus_.isEmpty()) {
        sessionBus_ = startPrivateBus(env);
        if (sessionBus_.isEmpty()) {
            return false;
        }
    }
    failedStep_ = QStringLiteral("the stand-in logind");
    if (withLogind) {
        QProcessEnvironment mockEnv = env;
        mockEnv.insert(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"), systemBus_);
        if (launch(QStringLiteral("/usr/bin/python3"),
                   {QStringLiteral("-m"), QStringLiteral("dbusmock"), QStringLiteral("--system"),
                    QStringLiteral("--template"), QStringLiteral("logind"), QStringLiteral("-l"),
                    folder_.filePath(QStringLiteral("logind.log"))},
                   mockEnv) == nullptr) {
            return false;
        }
        QDBusConnection connection =
            QDBusConnection::connectToBus(systemBus_, QStringLiteral("kb-private-system"));
        if (!waitUntil(
                [&] {
                    return connection.isConnected() &&
                           connection.interface()->isServiceRegistered(
                               QStringLiteral("org.freedesktop.login1"));
                },
                10000)) {
            return false;
        }
    }
    return true;
}

QString DesktopSession::startPrivateBus(const QProcessEnvironment& env) {
    QProcess bus;
    bus.start(QStringLiteral("dbus-daemon"),
              {QStringLiteral("--session"), QStringLiteral("--fork"),
               QStringLiteral("--print-address=1"), QStringLiteral("--print-pid=1")});
    bus.waitForFinished(5000);
    const QStringList lines =
        QString::fromUtf8(bus.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    if (lines.size() < 2) {
        return QString();
    }
    // The forked bus is not a child; a watcher process ends it with the session.
    launch(
        QStringLiteral("sh"),
        {QStringLiteral("-c"),
         QStringLiteral("trap 'kill %1' TERM; while :; do sleep 1; done").arg(lines[1].trimmed())},
        env);
    return lines[0].trimmed();
}

bool DesktopSession::startNotificationServer() {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    sessionBus_ = startPrivateBus(env);
    if (sessionBus_.isEmpty()) {
        return false;
    }
    env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), sessionBus_);
    if (launch(QStringLiteral("/usr/bin/python3"),
               {QStringLiteral("-m"), QStringLiteral("dbusmock"), QStringLiteral("--session"),
                QStringLiteral("--template"), QStringLiteral("notification_daemon"),
                QStringLiteral("-l"), folder_.filePath(QStringLiteral("notifications.log"))},
               env) == nullptr) {
        return false;
    }
    QDBusConnection connection =
        QDBusConnection::connectToBus(sessionBus_, QStringLiteral("kb-private-session"));
    const bool up = waitUntil(
        [&] {
            return connection.isConnected() && connection.interface()->isServiceRegistered(
                                                   QStringLiteral("org.freedesktop.Notifications"));
        },
        10000);
    QDBusConnection::disconnectFromBus(QStringLiteral("kb-private-session"));
    return up;
}

QStringList DesktopSession::notifications() const {
    QFile log(folder_.filePath(QStringLiteral("notifications.log")));
    if (!log.open(QIODevice::ReadOnly)) {
        return {};
    }
    // A call starts with its time stamp; a body's line breaks continue it.
    static const QRegularExpression stamp(QStringLiteral("^\\d+\\.\\d+ "));
    QStringList calls;
    bool inNotify = false;
    for (const QString& line : QString::fromUtf8(log.readAll()).split(u'\n')) {
        if (stamp.match(line).hasMatch()) {
            inNotify = line.contains(QStringLiteral(" Notify "));
            if (inNotify) {
                calls.append(line);
            }
        } else if (inNotify) {
            calls.last() += u'\n' + line;
        }
    }
    return calls;
}

QProcessEnvironment DesktopSession::environment() const {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    if (!sessionBus_.isEmpty()) {
        env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), sessionBus_);
    }
    if (display_.isEmpty()) {
        return env;
    }
    env.insert(QStringLiteral("DISPLAY"), display_);
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.insert(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"), systemBus_);
    env.insert(QStringLiteral("XDG_SESSION_ID"), QStringLiteral("c1"));
    return env;
}

::testing::AssertionResult DesktopSession::waitUntilShown(const QString& title, int baseMs) const {
    if (waitUntil([&] { return mapState(title) == QLatin1String("IsViewable"); }, baseMs)) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure()
           << "no window \"" << title.toStdString() << "\" shown within "
           << baseMs * machineBusyFactor() / 1000 << " s (load " << machineBusyFactor()
           << " per core); " << windows().toStdString();
}

QString DesktopSession::windows() const {
    const QString tree =
        run(QStringLiteral("xwininfo"), {QStringLiteral("-root"), QStringLiteral("-children")});
    QStringList named;
    for (const QString& line : tree.split(u'\n')) {
        if (line.contains(QStringLiteral("0x")) && line.contains(u'"')) {
            named.append(line.trimmed());
        }
    }
    return QStringLiteral("the display %1 has %2")
        .arg(display_, named.isEmpty()
                           ? QStringLiteral("no named window")
                           : QStringLiteral("these windows: ") + named.join(QStringLiteral("; ")));
}

QString DesktopSession::mapState(const QString& title) const {
    const QString info = run(QStringLiteral("xwininfo"), {QStringLiteral("-name"), title});
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("Map State: (\\w+)")).match(info);
    return m.hasMatch() ? m.captured(1) : QString();
}

int DesktopSession::trayIcons() const {
    const QString tree =
        run(QStringLiteral("xwininfo"), {QStringLiteral("-root"), QStringLiteral("-tree")});
    // Docked icons are children of the panel: lines indented under "panel".
    const QStringList lines = tree.split(u'\n');
    int icons = 0;
    for (int i = 0; i < lines.size(); ++i) {
        if (!lines[i].contains(QStringLiteral("(\"panel\" \"trayer\")"))) {
            continue;
        }
        const int indent = static_cast<int>(lines[i].indexOf(QStringLiteral("0x")));
        for (int k = i + 1; k < lines.size(); ++k) {
            const int childIndent = static_cast<int>(lines[k].indexOf(QStringLiteral("0x")));
            if (childIndent < 0) {
                continue;  // "n children:" lines
            }
            if (childIndent <= indent) {
                break;
            }
            if (lines[k].contains(QStringLiteral("kelvora-broadcasting"))) {
                ++icons;
            }
        }
    }
    return icons;
}

QString DesktopSession::logindCalls() const {
    QFile log(folder_.filePath(QStringLiteral("logind.log")));
    return log.open(QIODevice::ReadOnly) ? QString::fromUtf8(log.readAll()) : QString();
}

QStringList DesktopSession::inhibitors() const {
    QDBusConnection connection(QStringLiteral("kb-private-system"));
    const QDBusMessage reply = connection.call(QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
        QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("ListInhibitors")));
    QStringList result;
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
        return result;
    }
    const QDBusArgument list = reply.arguments().first().value<QDBusArgument>();
    list.beginArray();
    while (!list.atEnd()) {
        QString what, who, why, mode;
        uint uid = 0, pid = 0;
        list.beginStructure();
        list >> what >> who >> why >> mode >> uid >> pid;
        list.endStructure();
        result.append(QStringList{what, who, why, mode}.join(u'|'));
    }
    list.endArray();
    return result;
}

bool DesktopSession::screenshot(const QString& pngPath) const {
    const QString xwd = folder_.filePath(QStringLiteral("screen.xwd"));
    run(QStringLiteral("xwd"),
        {QStringLiteral("-root"), QStringLiteral("-silent"), QStringLiteral("-out"), xwd});
    run(QStringLiteral("ffmpeg"), {QStringLiteral("-loglevel"), QStringLiteral("error"),
                                   QStringLiteral("-y"), QStringLiteral("-i"), xwd, pngPath});
    return QFile::exists(pngPath);
}

QPoint DesktopSession::windowOrigin(const QString& title) const {
    const QString info = run(QStringLiteral("xwininfo"), {QStringLiteral("-name"), title});
    const QRegularExpressionMatch x =
        QRegularExpression(QStringLiteral("Absolute upper-left X:\\s+(-?\\d+)")).match(info);
    const QRegularExpressionMatch y =
        QRegularExpression(QStringLiteral("Absolute upper-left Y:\\s+(-?\\d+)")).match(info);
    if (!x.hasMatch() || !y.hasMatch()) {
        return QPoint(-1, -1);
    }
    return QPoint(x.captured(1).toInt(), y.captured(1).toInt());
}

bool DesktopSession::click(const QPoint& at) const {
    QProcess process;
    process.setProcessEnvironment(environment());
    process.start(QStringLiteral("xdotool"),
                  {QStringLiteral("mousemove"), QString::number(at.x()), QString::number(at.y()),
                   QStringLiteral("click"), QStringLiteral("1")});
    return process.waitForFinished(10000) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}
