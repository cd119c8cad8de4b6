#include "platform/single_instance.h"

#include <sys/stat.h>
#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>

namespace {

const QByteArray kActivate = QByteArrayLiteral("activate\n");

QString baseName() {
    return QStringLiteral("KelvoraBroadcastingMutex-%1").arg(::getuid());
}

// A folder nobody else can put a file in: a real folder (not a link to one), owned by this
// user, with no rights for group or others. Another user's file in a shared folder would
// otherwise keep the program from starting, or take its requests.
bool isPrivateFolder(const QString& path) {
    struct stat info {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 && S_ISDIR(info.st_mode) &&
           info.st_uid == ::getuid() && (info.st_mode & 077) == 0;
}

// Makes the folder for this user alone when nothing stands there; the path when the folder
// is private afterwards, else empty.
QString privateFolder(const QString& path) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    ::mkdir(QFile::encodeName(path).constData(), 0700);
    return isPrivateFolder(path) ? path : QString();
}

}  // namespace

QString SingleInstance::defaultFolder() {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && isPrivateFolder(runtime)) {
        return runtime;
    }
    // Without a runtime folder: one of the user's own, in the temporary folder (short, for the
    // socket's name) or else in the cache folder.
    QString cache = qEnvironmentVariable("XDG_CACHE_HOME");
    if (cache.isEmpty()) {
        cache = QDir::homePath() + QStringLiteral("/.cache");
    }
    for (const QString& candidate :
         {QDir::tempPath() + QStringLiteral("/kelvora-broadcasting-%1").arg(::getuid()),
          cache + QStringLiteral("/kelvora-broadcasting")}) {
        const QString made = privateFolder(candidate);
        if (!made.isEmpty()) {
            return made;
        }
    }
    return QString();
}

SingleInstance::SingleInstance(const QString& folder)
    : lockPath_(folder.isEmpty() ? QString()
                                 : QDir(folder).filePath(baseName() + QStringLiteral(".lock"))),
      serverName_(folder.isEmpty()
                      ? QString()
                      : QDir(folder).filePath(baseName() + QStringLiteral(".socket"))) {}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::acquire() {
    if (lockPath_.isEmpty()) {
        return true;  // no private folder anywhere: run rather than miss the bells
    }
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
    if (serverName_.isEmpty()) {
        return false;
    }
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
