#include "core/support/command_line.h"

#include <QRegularExpression>

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

bool parseCommandDate(const QString& text, LocalDateTime& date) {
    static const QRegularExpression pattern(QStringLiteral("^(\\d{4})-(\\d{2})-(\\d{2})$"));
    const QRegularExpressionMatch match = pattern.match(text);
    const int year = match.captured(1).toInt();
    const int month = match.captured(2).toInt();
    const int day = match.captured(3).toInt();
    if (!match.hasMatch() || !isValidDate(year, month, day)) {
        return false;
    }
    date = makeDateTime(year, month, day);
    return true;
}
