#include "ui/widgets/message_box.h"

#include <QApplication>
#include <QMessageBox>
#include <QWidget>

#include "core/storage/app_paths.h"

namespace {

QMessageBox::Icon iconOf(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::Information:
            return QMessageBox::Information;
        case MessageIcon::Warning:
            return QMessageBox::Warning;
        case MessageIcon::Error:
            return QMessageBox::Critical;
        case MessageIcon::Question:
            return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

QWidget* ownerOf(QObject* owner) {
    for (QObject* o = owner; o != nullptr; o = o->parent()) {
        if (auto* widget = qobject_cast<QWidget*>(o)) {
            return widget->window();
        }
    }
    return QApplication::activeWindow();
}

}  // namespace

bool presentAsDialog(const MessageRequest& request) {
    QMessageBox box(iconOf(request.icon),
                    request.caption.isEmpty() ? kApplicationTitle : request.caption, request.text,
                    request.yesNo ? QMessageBox::Yes | QMessageBox::No
                                  : QMessageBox::StandardButtons(QMessageBox::Ok),
                    ownerOf(request.owner));
    if (request.topmost) {
        box.setWindowFlag(Qt::WindowStaysOnTopHint);
    }
    box.setObjectName(QStringLiteral("programMessage"));
    return box.exec() == (request.yesNo ? QMessageBox::Yes : QMessageBox::Ok);
}
