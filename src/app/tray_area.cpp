#include "app/tray_area.h"

#include <QMenu>
#include <QSystemTrayIcon>

#include "app/artwork.h"

SystemTrayArea::SystemTrayArea(QObject* parent) : TrayArea(parent) {
    icon_ = new QSystemTrayIcon(programIcon(), this);
    auto* menu = new QMenu();
    menu->addAction(QStringLiteral("显示主界面"), this, &TrayArea::showRequested);
    connect(this, &QObject::destroyed, menu, &QObject::deleteLater);
    icon_->setContextMenu(menu);
    connect(icon_, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (reason == QSystemTrayIcon::Trigger) {
                    emit activated();
                }
            });
}

bool SystemTrayArea::add(const QString& tip) {
    if (!QSystemTrayIcon::isSystemTrayAvailable()) {
        return false;
    }
    icon_->setToolTip(tip.left(63));
    icon_->show();
    return icon_->isVisible();
}

void SystemTrayArea::remove() {
    icon_->hide();
}

bool SystemTrayArea::isShown() const {
    return icon_->isVisible();
}
