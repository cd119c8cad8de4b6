#include "platform/file_manager.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QUrl>

#include "core/support/log_categories.h"

namespace {

constexpr int kFileManagerTimeoutMs = 5000;

}  // namespace

void showInFileManager(const QString& path, std::function<void()> otherwise) {
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.FileManager1"),
        QStringLiteral("/org/freedesktop/FileManager1"),
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItems"));
    call.setArguments(
        {QStringList{QString::fromUtf8(QUrl::fromLocalFile(path).toEncoded())}, QString()});
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        otherwise();
        return;
    }
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, kFileManagerTimeoutMs));
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher,
                     [otherwise = std::move(otherwise)](QDBusPendingCallWatcher* w) {
                         const QDBusPendingReply<> reply = *w;
                         if (reply.isError()) {
                             qCInfo(lcPlatform) << "no file manager:" << reply.error().message();
                             otherwise();
                         }
                         w->deleteLater();
                     });
}
