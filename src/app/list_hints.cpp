#include "app/list_hints.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QMouseEvent>

#include "support/messages.h"

QString dragSelectionHint() {
    return QStringLiteral(
        "选多行方法：\n1. 不连续行 - 按住 Ctrl  键, 用鼠标点选\n2. 连续的行 - 按住 Shift 键, "
        "用鼠标点选");
}

QString remoteSessionHint() {
    return QStringLiteral(
        "详情参看：\n官网 > 帮助 > 远程登录时,音频设置\n\n技术支持 / 官网：\n帮助栏里有联系方式 / "
        "网址");
}

DragHintFilter::DragHintFilter(QAbstractItemView* view, QWidget* owner)
    : QObject(view), view_(view), owner_(owner) {
    view->viewport()->installEventFilter(this);
}

bool DragHintFilter::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress) {
        pressed_ = static_cast<QMouseEvent*>(event)->pos();
        shown_ = !view_->indexAt(pressed_).isValid();
    } else if (event->type() == QEvent::MouseMove && !shown_) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if ((mouse->buttons() & Qt::LeftButton) &&
            (mouse->pos() - pressed_).manhattanLength() >= QApplication::startDragDistance()) {
            shown_ = true;
            showMessage(MessageIcon::Information, dragSelectionHint(), owner_);
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}
