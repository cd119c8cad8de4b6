#pragma once

#include <QStringList>

// The start-with-logon entry passes "1" (hide to the tray), "2" (lock the screen) or "3"
// (both). The arguments arrive separately; they are joined with single blanks first.
struct StartArguments {
    bool minimised = false;
    bool locked = false;
};

StartArguments parseStartArguments(const QStringList& arguments);
