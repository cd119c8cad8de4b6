#include "ui/app/tray_area.h"

#include <QApplication>
#include <QMenu>
#include <QStyle>
#include <QSystemTrayIcon>

#include "core/storage/app_paths.h"
#include "ui/widgets/artwork.h"

SystemTrayArea::SystemTrayArea(QObject* parent) : TrayArea(parent) {
    icon_ = new QSystemTrayIcon(programIcon(), this);
    title_ = kApplicationTitle;
    updateTip();
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
    title_ = tip.left(63);
    updateTip();
    if (!QSystemTrayIcon::isSystemTrayAvailable()) {
        return false;
    }
    icon_->show();
    return icon_->isVisible();
}

void SystemTrayArea::remove() {
    icon_->hide();
}

bool SystemTrayArea::isShown() const {
    return icon_->isVisible();
}

bool SystemTrayArea::showMessage(const QString& title, const QString& text) {
    if (!QSystemTrayIcon::isSystemTrayAvailable()) {
        return false;
    }
    if (!icon_->isVisible()) {
        // Shown for the message; the window's return removes it as usual.
        add(title_);
    }
    icon_->showMessage(title, text, QSystemTrayIcon::Warning, 0);
    return icon_->isVisible();
}

void SystemTrayArea::setWarning(bool warning) {
    icon_->setIcon(warning ? QApplication::style()->standardIcon(QStyle::SP_MessageBoxWarning)
                           : programIcon());
}

void SystemTrayArea::setNextStart(const QString& text) {
    next_ = text;
    updateTip();
}

void SystemTrayArea::updateTip() {
    icon_->setToolTip(next_.isEmpty() ? title_ : title_ + u'\n' + next_);
}

QString SystemTrayArea::toolTip() const {
    return icon_->toolTip();
}
