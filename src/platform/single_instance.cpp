#include "platform/single_instance.h"

#include <unistd.h>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>

namespace {

const QByteArray kActivate = QByteArrayLiteral("activate\n");

QString baseName() {
    return QStringLiteral("KelvoraBroadcastingMutex-%1").arg(::getuid());
}

}  // namespace

QString SingleInstance::defaultFolder() {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    return !runtime.isEmpty() && QDir(runtime).exists() ? runtime : QDir::tempPath();
}

SingleInstance::SingleInstance(const QString& folder)
    : lockPath_(QDir(folder).filePath(baseName() + QStringLiteral(".lock"))),
      serverName_(QDir(folder).filePath(baseName() + QStringLiteral(".socket"))) {}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::acquire() {
    lock_ = std::make_unique<QLockFile>(lockPath_);
    // A lock left by a copy that died is taken over at once; a live copy keeps it.
    lock_->setStaleLockTime(0);
    if (!lock_->tryLock(0)) {
        if (lock_->error() == QLockFile::LockFailedError) {
            return false;
        }
        return true;
    }
    QLocalServer::removeServer(serverName_);
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    connect(server_, &QLocalServer::newConnection, this, &SingleInstance::readRequests);
    server_->listen(serverName_);
    return true;
}

void SingleInstance::readRequests() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            while (socket->canReadLine()) {
                if (socket->readLine() == kActivate) {
                    emit activationRequested();
                }
            }
        });
    }
}

bool SingleInstance::requestActivation(int timeoutMs) const {
    QLocalSocket socket;
    socket.connectToServer(serverName_);
    if (!socket.waitForConnected(timeoutMs)) {
        return false;
    }
    socket.write(kActivate);
    const bool sent = socket.waitForBytesWritten(timeoutMs);
    socket.disconnectFromServer();
    return sent;
}
