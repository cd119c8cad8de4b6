#pragma once

#include <QString>

// Text of a C library error number, as the messages show it after a failed file operation.
QString runtimeErrorText(int errorNumber);
// Text of a system error code, at most 255 characters, line breaks trimmed at both ends.
QString systemErrorText(int code);
