#include "app/hint_link.h"

#include "app/help_page.h"
#include "support/messages.h"

HyperLink* makeHintLink(const QString& text, const QString& hint, QWidget* parent,
                        const QString& resourceFolder, const QString& helpAnchor) {
    auto* link = new HyperLink(text, parent);
    QObject::connect(link, &HyperLink::clicked, parent, [hint, parent, resourceFolder, helpAnchor] {
        showMessage(MessageIcon::Information, hint, parent);
        if (!helpAnchor.isEmpty()) {
            openHelpPage(resourceFolder, helpAnchor);
        }
    });
    return link;
}
