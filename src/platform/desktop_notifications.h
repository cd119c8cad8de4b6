#pragma once

#include <QObject>
#include <QString>

// Desktop notifications through org.freedesktop.Notifications on the session bus. The call
// never waits: when no server answers, failed() carries the notice so that the caller can
// show it another way.
class DesktopNotifications : public QObject {
    Q_OBJECT
  public:
    using QObject::QObject;

    void notify(const QString& summary, const QString& body, bool urgent);

  signals:
    void failed(const QString& summary, const QString& body);
};
