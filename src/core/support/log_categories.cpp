#include "core/support/log_categories.h"

Q_LOGGING_CATEGORY(lcAudio, "kb.audio", QtInfoMsg)
Q_LOGGING_CATEGORY(lcTimed, "kb.timed", QtInfoMsg)
Q_LOGGING_CATEGORY(lcImmediate, "kb.immediate", QtInfoMsg)
Q_LOGGING_CATEGORY(lcStorage, "kb.storage", QtInfoMsg)
Q_LOGGING_CATEGORY(lcPlatform, "kb.platform", QtInfoMsg)
Q_LOGGING_CATEGORY(lcUi, "kb.ui", QtInfoMsg)
