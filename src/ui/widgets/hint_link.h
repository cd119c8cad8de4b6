#pragma once

#include "ui/widgets/hyper_link.h"

// A link that shows a hint (information box) and then, when given, opens a help page.
HyperLink* makeHintLink(const QString& text, const QString& hint, QWidget* parent,
                        const QString& resourceFolder = QString(),
                        const QString& helpAnchor = QString());
