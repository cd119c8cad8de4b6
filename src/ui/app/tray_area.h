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
    // A balloon message by the icon; false when there is no icon to show it.
    virtual bool showMessage(const QString& title, const QString& text) {
        Q_UNUSED(title);
        Q_UNUSED(text);
        return false;
    }
    // A failure waits to be seen: the icon shows it until the window is opened.
    virtual void setWarning(bool warning) { Q_UNUSED(warning); }
    // "下一个: HH:MM:SS 节目名" below the title in the tip; empty for none.
    virtual void setNextStart(const QString& text) { Q_UNUSED(text); }

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
    bool showMessage(const QString& title, const QString& text) override;
    void setWarning(bool warning) override;
    void setNextStart(const QString& text) override;
    QString toolTip() const;

  private:
    void updateTip();

    QSystemTrayIcon* icon_;
    QString title_;
    QString next_;
};
