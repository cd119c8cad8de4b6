#pragma once

#include <QString>

// Whether the desktop has a program for the MIME type (xdg-mime's default). Without xdg-mime
// the answer is yes, and opening the file decides.
bool hasDesktopHandler(const QString& mimeType);
