#pragma once

#include <QString>

#include "core/support/messages.h"

class QWidget;

// Shows why the input was refused; the field concerned, if any, then gets the focus with all
// its text selected, and the dialog stays open.
void refuseInput(QWidget* owner, MessageIcon icon, const QString& text, QWidget* field = nullptr);
