#pragma once

#include <QObject>
#include <QPoint>

class QSystemTrayIcon;

// The program's icon in the notification area.
class TrayArea : public QObject {
    Q_OBJECT
  public:
    using QObject::QObject;
    // Adds the icon with the tip; false when there is no notification area.
    virtual bool add(const QString& tip) = 0;
    virtual void remove() = 0;
    virtual bool isShown() const = 0;

  signals:
    // Left button on the icon.
    void activated();
    // The icon's menu item "显示主界面".
    void showRequested();
};

class SystemTrayArea : public TrayArea {
    Q_OBJECT
  public:
    explicit SystemTrayArea(QObject* parent = nullptr);
    bool add(const QString& tip) override;
    void remove() override;
    bool isShown() const override;

  private:
    QSystemTrayIcon* icon_;
};
