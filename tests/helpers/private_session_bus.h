#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QVariantList>

// A session bus of the test's own, so that no other program in the test run answers in the
// program's place; calls go to the program's object on it.
struct PrivateSessionBus {
    PrivateSessionBus() {
        daemon.start(QStringLiteral("dbus-daemon"),
                     {QStringLiteral("--session"), QStringLiteral("--nofork"),
                      QStringLiteral("--print-address=1")});
        if (daemon.waitForReadyRead(10000)) {
            address = QString::fromUtf8(daemon.readLine()).trimmed();
        }
    }
    ~PrivateSessionBus() {
        QDBusConnection::disconnectFromBus(QStringLiteral("kb-remote-test"));
        daemon.kill();
        daemon.waitForFinished(3000);
    }
    PrivateSessionBus(const PrivateSessionBus&) = delete;
    PrivateSessionBus& operator=(const PrivateSessionBus&) = delete;

    QProcessEnvironment environment() const {
        QProcessEnvironment env;
        env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), address);
        return env;
    }
    QDBusMessage call(const QString& method, const QVariantList& arguments = {}) const {
        QDBusConnection bus =
            QDBusConnection::connectToBus(address, QStringLiteral("kb-remote-test"));
        QDBusMessage message = QDBusMessage::createMethodCall(
            QStringLiteral("org.kelvora.Broadcasting"), QStringLiteral("/org/kelvora/Broadcasting"),
            QStringLiteral("org.kelvora.Broadcasting1"), method);
        message.setArguments(arguments);
        return bus.call(message, QDBus::Block, 10000);
    }

    QProcess daemon;
    QString address;
};
