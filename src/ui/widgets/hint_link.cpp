#include "ui/widgets/hint_link.h"

#include "core/support/messages.h"
#include "ui/widgets/help_page.h"

HyperLink* makeHintLink(const QString& text, const QString& hint, QWidget* parent) {
    auto* link = new HyperLink(text, parent);
    QObject::connect(link, &HyperLink::clicked, parent,
                     [hint, parent] { showMessage(MessageIcon::Information, hint, parent); });
    return link;
}

HyperLink* makeHintLink(const QString& text, const QString& hint, QWidget* parent,
                        const AppPaths& paths, const QString& helpAnchor) {
    auto* link = new HyperLink(text, parent);
    QObject::connect(link, &HyperLink::clicked, parent, [hint, parent, paths, helpAnchor] {
        showMessage(MessageIcon::Information, hint, parent);
        openHelpPage(paths, helpAnchor, parent);
    });
    return link;
}
