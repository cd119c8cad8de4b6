#pragma once

#include "core/support/messages.h"

// Shows a message as a dialog of the program: the title as caption, owned by the widget that
// acts (or the main window), Yes/No for questions.
bool presentAsDialog(const MessageRequest& request);
