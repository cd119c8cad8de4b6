#include "ui/widgets/hint_link.h"

#include "core/support/messages.h"
#include "ui/widgets/help_page.h"

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
