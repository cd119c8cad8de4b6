#include "ui/widgets/drag_hint.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QMouseEvent>

#include "core/support/messages.h"

DragHint::DragHint(QAbstractItemView* view)
    : QObject(view), view_(view), viewport_(view->viewport()) {}

DragHint* DragHint::install(QAbstractItemView* view) {
    auto* hint = new DragHint(view);
    view->viewport()->installEventFilter(hint);
    return hint;
}

const QString& DragHint::text() {
    static const QString kText = QStringLiteral(
        "选多行方法：\n1. 不连续行 - 按住 Ctrl  键, 用鼠标点选\n2. 连续的行 - 按住 Shift 键, "
        "用鼠标点选");
    return kText;
}

bool DragHint::eventFilter(QObject* watched, QEvent* event) {
    // The viewport is destroyed before this filter and still sends events while the view is
    // half destroyed, so the view is only touched for mouse events on the viewport.
    if (watched != viewport_) {
        return false;
    }
    if (event->type() == QEvent::MouseButtonPress) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        pressPosition_ = mouse->position().toPoint();
        armed_ = mouse->button() == Qt::LeftButton && view_->indexAt(pressPosition_).isValid();
    } else if (event->type() == QEvent::MouseMove && armed_) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if ((mouse->buttons() & Qt::LeftButton) &&
            (mouse->position().toPoint() - pressPosition_).manhattanLength() >=
                QApplication::startDragDistance()) {
            armed_ = false;
            showMessage(MessageIcon::Information, text(), view_);
            return true;
        }
    } else if (event->type() == QEvent::MouseButtonRelease) {
        armed_ = false;
    }
    return false;
}
