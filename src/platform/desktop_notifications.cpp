#include "platform/desktop_notifications.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QVariantMap>

#include "core/support/log_categories.h"

namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
constexpr int kNotifyTimeoutMs = 5000;
// Urgency levels of the notification hints.
constexpr uchar kNormal = 1;
constexpr uchar kCritical = 2;

}  // namespace

void DesktopNotifications::notify(const QString& summary, const QString& body, bool urgent) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        emit failed(summary, body);
        return;
    }
    QDBusMessage call =
        QDBusMessage::createMethodCall(kService, kPath, kService, QStringLiteral("Notify"));
    QVariantMap hints;
    hints.insert(QStringLiteral("urgency"), QVariant::fromValue(urgent ? kCritical : kNormal));
    hints.insert(QStringLiteral("desktop-entry"), QStringLiteral("kelvora-broadcasting"));
    // A failure stays on the screen until the user closes it.
    const int expires = urgent ? 0 : -1;
    call.setArguments({QStringLiteral("澜川校园定时广播系统"), 0u, QStringLiteral("dialog-warning"),
                       summary, body, QStringList(), hints, expires});
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, kNotifyTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, summary, body](QDBusPendingCallWatcher* w) {
                w->deleteLater();
                if (w->isError()) {
                    qCWarning(lcPlatform) << "no desktop notification:" << w->error().message();
                    emit failed(summary, body);
                }
            });
}
