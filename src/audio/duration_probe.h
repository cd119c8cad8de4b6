#pragma once

#include <QString>

// The length of a music file in milliseconds, or -1 when unknown. Needs no output device and
// gives up on a file that does not open within a few seconds.
qint64 probeDurationMs(const QString& path);
