#pragma once

#include "core/storage/app_paths.h"
#include "ui/widgets/hyper_link.h"

// A link that shows a hint (information box).
HyperLink* makeHintLink(const QString& text, const QString& hint, QWidget* parent);
// A link that shows a hint and then opens the help page at the topic's anchor.
HyperLink* makeHintLink(const QString& text, const QString& hint, QWidget* parent,
                        const AppPaths& paths, const QString& helpAnchor);
