#pragma once

#include <QString>
#include <functional>

// Asks the user's file manager to show the file, selected in its folder
// (org.freedesktop.FileManager1 ShowItems on the session bus). The answer is awaited without
// blocking; when no file manager answers, `otherwise` runs on this thread instead.
void showInFileManager(const QString& path, std::function<void()> otherwise);
