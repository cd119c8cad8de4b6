#pragma once

#include <QString>

// Where the file and folder dialogs open: the folder last chosen in one of them during this
// run, or the program's music folder the first time (the home folder when it is missing).
QString dialogStartFolder(const QString& musicFolder);
// Remembers the folder of a chosen file, or a chosen folder itself.
void rememberDialogChoice(const QString& path, bool isFolder);
