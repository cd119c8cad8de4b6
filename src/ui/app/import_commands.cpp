#include "ui/app/import_commands.h"

#include <QCoreApplication>
#include <clocale>
#include <cstdio>

#include "core/holidays/calendar_import.h"
#include "core/holidays/holiday_file.h"
#include "core/moving/moving_in.h"
#include "core/storage/app_paths.h"
#include "core/support/clock.h"

namespace {

const QString kImportWindows = QStringLiteral("--import-windows");
const QString kImportHolidays = QStringLiteral("--import-holidays");

void printLine(FILE* stream, const QString& text) {
    std::fputs((text + u'\n').toUtf8().constData(), stream);
    std::fflush(stream);
}

int wrongUsage(const QString& usage) {
    printLine(stderr, QStringLiteral("usage: kelvora-broadcasting ") + usage);
    return 2;
}

// SOURCE and the --map pairs; false for anything else.
bool parseWindowsArguments(const QStringList& arguments, QString& source,
                           QList<PathMapping>& mappings) {
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        PathMapping mapping;
        if (argument == QLatin1String("--map")) {
            if (++i == arguments.size() || !parsePathMapping(arguments[i], mapping)) {
                return false;
            }
            mappings.append(mapping);
        } else if (argument.startsWith(QLatin1String("--map="))) {
            if (!parsePathMapping(argument.mid(6), mapping)) {
                return false;
            }
            mappings.append(mapping);
        } else if (argument.startsWith(QLatin1String("--")) || !source.isEmpty()) {
            return false;
        } else {
            source = argument;
        }
    }
    return !source.isEmpty();
}

int importWindows(const QStringList& arguments, const AppPaths& paths) {
    QString source;
    QList<PathMapping> mappings;
    if (!parseWindowsArguments(arguments, source, mappings)) {
        return wrongUsage(QStringLiteral("--import-windows SOURCE [--map PREFIX=FOLDER]..."));
    }
    WindowsImport import;
    QString message;
    if (!readWindowsImport(source, mappings, import, message)) {
        printLine(stderr, message);
        return 1;
    }
    DataTables current;
    QStringList problems;
    loadDataTables(paths.dataFolder, paths.musicFolder, current, problems);
    // A current file that cannot be read is kept as <name>.damaged; the import replaces it.
    for (const QString& problem : problems) {
        printLine(stderr, problem);
    }
    SystemClock clock;
    QString backupPath;
    if (!replaceDataTables(paths.dataFolder, current, import.tables, wholeSecond(clock.now()),
                           backupPath, message)) {
        printLine(stderr, message);
        return 1;
    }
    for (const QString& missing : import.paths.missing) {
        printLine(stdout, QStringLiteral("未找到: ") + missing);
    }
    printLine(stdout, windowsImportSummary(import));
    return 0;
}

int importHolidays(const QStringList& arguments, const AppPaths& paths) {
    if (arguments.size() != 1 || arguments[0].startsWith(QLatin1String("--"))) {
        return wrongUsage(QStringLiteral("--import-holidays FILE.ics"));
    }
    std::vector<CalendarEvent> events;
    HolidayCalendar calendar;
    QString message;
    // The calendar is added to, so one that cannot be read is left as it is.
    if (!readCalendarEvents(arguments[0], events, message) ||
        !loadHolidayCalendar(paths.dataFolder, calendar, message)) {
        printLine(stderr, message);
        return 1;
    }
    const CalendarImport import = proposeCalendarImport(events, calendar);
    const bool adds = !import.additions.holidays.empty() || !import.additions.adjustedDays.empty();
    if (!addCalendarImport(import.additions, calendar, message) ||
        (adds && !saveHolidayCalendar(paths.dataFolder, calendar, false, message))) {
        printLine(stderr, message);
        return 1;
    }
    printLine(stdout, calendarImportSummary(import));
    for (const QString& line : adjustedDayLines(import.additions)) {
        printLine(stdout, line);
    }
    return 0;
}

}  // namespace

std::optional<int> runImportCommand(int argc, char** argv, const QStringList& arguments) {
    if (arguments.isEmpty() ||
        (arguments.first() != kImportWindows && arguments.first() != kImportHolidays)) {
        return std::nullopt;
    }
    QCoreApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    const AppPaths paths = AppPaths::resolve();
    return arguments.first() == kImportWindows ? importWindows(arguments.mid(1), paths)
                                               : importHolidays(arguments.mid(1), paths);
}
