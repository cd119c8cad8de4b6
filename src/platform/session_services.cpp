#include "platform/session_services.h"

#include <unistd.h>
#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>

namespace {

const QString kLogin = QStringLiteral("org.freedesktop.login1");
const QString kManagerPath = QStringLiteral("/org/freedesktop/login1");
const QString kManager = QStringLiteral("org.freedesktop.login1.Manager");
constexpr int kSystemCallTimeoutMs = 3000;

QDBusMessage callManager(const QString& method, const QVariantList& arguments) {
    QDBusMessage call = QDBusMessage::createMethodCall(kLogin, kManagerPath, kManager, method);
    call.setArguments(arguments);
    return QDBusConnection::systemBus().call(call, QDBus::Block, kSystemCallTimeoutMs);
}

// The object path of this process's session, from XDG_SESSION_ID or asked of logind.
QString sessionPath() {
    const QString id = qEnvironmentVariable("XDG_SESSION_ID");
    const QDBusMessage reply = id.isEmpty() ? callManager(QStringLiteral("GetSessionByPID"),
                                                          {static_cast<uint>(::getpid())})
                                            : callManager(QStringLiteral("GetSession"), {id});
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
        return QString();
    }
    return qvariant_cast<QDBusObjectPath>(reply.arguments().first()).path();
}

bool managerCall(const QString& method, QString& error) {
    const QDBusMessage reply = callManager(method, {false});
    if (reply.type() == QDBusMessage::ReplyMessage) {
        return true;
    }
    error = powerFailureText(reply.errorName(), reply.errorMessage());
    return false;
}

}  // namespace

QString powerFailureText(const QString& errorName, const QString& errorMessage) {
    // No bus, no logind on it, or no answer in time: the request never reached the service.
    static const QStringList kUnreachable = {
        QStringLiteral("org.freedesktop.DBus.Error.Disconnected"),
        QStringLiteral("org.freedesktop.DBus.Error.NoServer"),
        QStringLiteral("org.freedesktop.DBus.Error.ServiceUnknown"),
        QStringLiteral("org.freedesktop.DBus.Error.NameHasNoOwner"),
        QStringLiteral("org.freedesktop.DBus.Error.NoReply"),
        QStringLiteral("org.freedesktop.DBus.Error.Timeout"),
        QStringLiteral("org.freedesktop.DBus.Error.TimedOut"),
        QStringLiteral("org.freedesktop.DBus.Error.Spawn.ServiceNotFound")};
    static const QStringList kRefused = {
        QStringLiteral("org.freedesktop.DBus.Error.AccessDenied"),
        QStringLiteral("org.freedesktop.DBus.Error.InteractiveAuthorizationRequired"),
        QStringLiteral("org.freedesktop.PolicyKit1.Error.NotAuthorized")};
    QString what;
    if (errorName.isEmpty() || kUnreachable.contains(errorName)) {
        what = QStringLiteral("无法连接系统的电源管理服务 (logind)");
    } else if (kRefused.contains(errorName)) {
        what = QStringLiteral("系统不允许本用户关机或重启 (没有权限)");
    } else {
        what = QStringLiteral("系统的电源管理服务 (logind) 拒绝了请求");
    }
    const QString words = errorMessage.isEmpty() ? errorName : errorMessage;
    return words.isEmpty() ? what : what + QStringLiteral("\n(") + words + u')';
}

bool SleepInhibitor::inhibit() {
    const QDBusMessage reply =
        callManager(QStringLiteral("Inhibit"),
                    {QStringLiteral("sleep:idle"), QStringLiteral("澜川校园定时广播系统"),
                     QStringLiteral("定时广播需要电脑一直开着"), QStringLiteral("block")});
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
        return false;
    }
    descriptor_ = qvariant_cast<QDBusUnixFileDescriptor>(reply.arguments().first());
    return descriptor_.isValid();
}

void SleepInhibitor::release() {
    // Closing the descriptor ends the inhibition.
    descriptor_ = QDBusUnixFileDescriptor();
}

bool lockScreen() {
    const QString session = sessionPath();
    if (!session.isEmpty()) {
        const QString id = session.mid(session.lastIndexOf(u'/') + 1);
        const QDBusMessage reply = callManager(QStringLiteral("LockSession"), {id});
        if (reply.type() == QDBusMessage::ReplyMessage) {
            return true;
        }
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.ScreenSaver"),
        QStringLiteral("/org/freedesktop/ScreenSaver"),
        QStringLiteral("org.freedesktop.ScreenSaver"), QStringLiteral("Lock"));
    const QDBusMessage reply =
        QDBusConnection::sessionBus().call(call, QDBus::Block, kSystemCallTimeoutMs);
    return reply.type() == QDBusMessage::ReplyMessage;
}

bool LogindPower::powerOff(QString& error) {
    return managerCall(QStringLiteral("PowerOff"), error);
}

bool LogindPower::reboot(QString& error) {
    return managerCall(QStringLiteral("Reboot"), error);
}

void RemoteSessionDetector::check() {
    if (remote_) {
        return;
    }
    if (!qEnvironmentVariableIsEmpty("SSH_CONNECTION") ||
        !qEnvironmentVariableIsEmpty("XRDP_SESSION")) {
        setRemote();
        return;
    }
    if (pending_ || !QDBusConnection::systemBus().isConnected()) {
        return;
    }
    if (sessionPath_.isEmpty()) {
        askForSession();
    } else {
        askWhetherRemote();
    }
}

void RemoteSessionDetector::ask(const QDBusMessage& call,
                                const std::function<void(const QDBusMessage&)>& onReply) {
    pending_ = true;
    auto* watcher = new QDBusPendingCallWatcher(
        QDBusConnection::systemBus().asyncCall(call, kSystemCallTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, onReply](QDBusPendingCallWatcher* w) {
                w->deleteLater();
                pending_ = false;
                const QDBusMessage reply = w->reply();
                if (reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty()) {
                    onReply(reply);
                }
            });
}

void RemoteSessionDetector::askForSession() {
    const QString id = qEnvironmentVariable("XDG_SESSION_ID");
    QDBusMessage call = QDBusMessage::createMethodCall(
        kLogin, kManagerPath, kManager,
        id.isEmpty() ? QStringLiteral("GetSessionByPID") : QStringLiteral("GetSession"));
    call.setArguments(id.isEmpty() ? QVariantList{static_cast<uint>(::getpid())}
                                   : QVariantList{id});
    ask(call, [this](const QDBusMessage& reply) {
        sessionPath_ = qvariant_cast<QDBusObjectPath>(reply.arguments().first()).path();
        askWhetherRemote();
    });
}

void RemoteSessionDetector::askWhetherRemote() {
    QDBusMessage call = QDBusMessage::createMethodCall(
        kLogin, sessionPath_, QStringLiteral("org.freedesktop.DBus.Properties"),
        QStringLiteral("Get"));
    call.setArguments({QStringLiteral("org.freedesktop.login1.Session"), QStringLiteral("Remote")});
    ask(call, [this](const QDBusMessage& reply) {
        if (qvariant_cast<QDBusVariant>(reply.arguments().first()).variant().toBool()) {
            setRemote();
        }
    });
}

void RemoteSessionDetector::setRemote() {
    if (!remote_) {
        remote_ = true;
        emit remoteSessionDetected();
    }
}
