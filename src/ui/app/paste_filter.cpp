#include "ui/app/paste_filter.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTextEdit>

#include "core/support/paste_text.h"

namespace {

QWidget* editorOf(QObject* watched) {
    // Text edits receive their events on their viewport.
    QObject* candidate = watched;
    if (auto* widget = qobject_cast<QWidget*>(watched);
        widget != nullptr && widget->parentWidget() != nullptr &&
        (qobject_cast<QPlainTextEdit*>(widget->parentWidget()) != nullptr ||
         qobject_cast<QTextEdit*>(widget->parentWidget()) != nullptr)) {
        candidate = widget->parentWidget();
    }
    if (qobject_cast<QLineEdit*>(candidate) != nullptr ||
        qobject_cast<QPlainTextEdit*>(candidate) != nullptr ||
        qobject_cast<QTextEdit*>(candidate) != nullptr) {
        return static_cast<QWidget*>(candidate);
    }
    return nullptr;
}

bool isReadOnly(QWidget* editor) {
    if (auto* line = qobject_cast<QLineEdit*>(editor)) {
        return line->isReadOnly();
    }
    if (auto* plain = qobject_cast<QPlainTextEdit*>(editor)) {
        return plain->isReadOnly();
    }
    if (auto* rich = qobject_cast<QTextEdit*>(editor)) {
        return rich->isReadOnly();
    }
    return true;
}

}  // namespace

PasteFilter::PasteFilter(QObject* parent) : QObject(parent) {}

bool PasteFilter::pasteInto(QWidget* editor) {
    const QMimeData* data = QApplication::clipboard()->mimeData();
    if (data == nullptr || !data->hasText() || isReadOnly(editor)) {
        return editor != nullptr;
    }
    if (auto* line = qobject_cast<QLineEdit*>(editor)) {
        // insert() replaces the selection as one undoable step.
        line->insert(pastedText(data->text(), false));
        return true;
    }
    // Line breaks are paragraphs inside the text widgets.
    const QString text =
        pastedText(data->text(), true).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    if (auto* plain = qobject_cast<QPlainTextEdit*>(editor)) {
        plain->textCursor().insertText(text);
        return true;
    }
    if (auto* rich = qobject_cast<QTextEdit*>(editor)) {
        rich->textCursor().insertText(text);
        return true;
    }
    return false;
}

bool PasteFilter::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->matches(QKeySequence::Paste)) {
            if (QWidget* editor = editorOf(watched)) {
                if (event->type() == QEvent::ShortcutOverride) {
                    event->accept();
                    return true;
                }
                return pasteInto(editor);
            }
        }
    } else if (event->type() == QEvent::ContextMenu) {
        if (QWidget* editor = editorOf(watched)) {
            return showContextMenu(editor, event);
        }
    }
    return QObject::eventFilter(watched, event);
}

bool PasteFilter::showContextMenu(QWidget* editor, QEvent* event) {
    QMenu* menu = nullptr;
    if (auto* line = qobject_cast<QLineEdit*>(editor)) {
        menu = line->createStandardContextMenu();
    } else if (auto* plain = qobject_cast<QPlainTextEdit*>(editor)) {
        menu = plain->createStandardContextMenu();
    } else if (auto* rich = qobject_cast<QTextEdit*>(editor)) {
        menu = rich->createStandardContextMenu();
    }
    if (menu == nullptr) {
        return false;
    }
    for (QAction* action : menu->actions()) {
        if (action->objectName() == QLatin1String("edit-paste")) {
            disconnect(action, &QAction::triggered, nullptr, nullptr);
            connect(action, &QAction::triggered, editor, [editor] { pasteInto(editor); });
        }
    }
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(static_cast<QContextMenuEvent*>(event)->globalPos());
    return true;
}
