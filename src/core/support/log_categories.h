#pragma once

#include <QLoggingCategory>

// Diagnostics beyond the play log, one category per layer, so that an IT person can see why a
// bell failed (QT_LOGGING_RULES="kb.*.debug=true"; to the journal when run as a service).
Q_DECLARE_LOGGING_CATEGORY(lcAudio)
Q_DECLARE_LOGGING_CATEGORY(lcTimed)
Q_DECLARE_LOGGING_CATEGORY(lcImmediate)
Q_DECLARE_LOGGING_CATEGORY(lcStorage)
Q_DECLARE_LOGGING_CATEGORY(lcPlatform)
Q_DECLARE_LOGGING_CATEGORY(lcUi)
