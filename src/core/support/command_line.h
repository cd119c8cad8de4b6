#pragma once

#include <QStringList>

#include "core/support/date_time.h"

// The start-with-logon entry passes "1" (hide to the tray), "2" (lock the screen) or "3"
// (both). The arguments arrive separately; they are joined with single blanks first.
struct StartArguments {
    bool minimised = false;
    bool locked = false;
};

StartArguments parseStartArguments(const QStringList& arguments);

// A date given to a command-line tool as YYYY-MM-DD: 00:00:00 of it, false when it is not one.
bool parseCommandDate(const QString& text, LocalDateTime& date);
