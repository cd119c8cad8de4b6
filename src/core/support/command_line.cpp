#include "core/support/command_line.h"

StartArguments parseStartArguments(const QStringList& arguments) {
    QString line = arguments.join(QLatin1Char(' '));
    while (line.startsWith(u' ')) {
        line.remove(0, 1);
    }
    while (line.endsWith(u' ')) {
        line.chop(1);
    }
    StartArguments result;
    if (line == QLatin1String("1")) {
        result.minimised = true;
    } else if (line == QLatin1String("2")) {
        result.locked = true;
    } else if (line == QLatin1String("3")) {
        result.minimised = true;
        result.locked = true;
    }
    return result;
}
