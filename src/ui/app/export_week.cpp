#include "ui/app/export_week.h"

#include <QGuiApplication>
#include <QThread>
#include <clocale>
#include <cstdio>

#include "audio/duration_probe.h"
#include "core/storage/app_paths.h"
#include "core/support/command_line.h"
#include "core/timed/preview.h"
#include "core/timed/track_lengths.h"
#include "ui/timed/week_print.h"

int runExportWeekCommand(int argc, char** argv, const QStringList& arguments) {
    LocalDateTime day;
    if (arguments.size() != 2 || !parseCommandDate(arguments[0], day) || arguments[1].isEmpty()) {
        std::fprintf(stderr, "usage: kelvora-broadcasting --export-week YYYY-MM-DD FILE.pdf\n");
        return 2;
    }
    // A PDF needs fonts but no screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    ProgrammeTable table;
    HolidayCalendar calendar;
    loadTimetableForTool(AppPaths::resolve().dataFolder, table, calendar);
    WeekPlan plan = planWeek(table, calendar, day);
    // Every file and folder of the week is probed side by side: a probe may wait seconds.
    TrackLengths lengths(probeDurationMs, QThread::idealThreadCount());
    const TrackLengthMs lengthOf = [&lengths](const QString& path, bool folder) {
        return lengths.lengthMs(path, folder);
    };
    applyLengths(plan, lengthOf);
    lengths.waitForAll();
    applyLengths(plan, lengthOf);
    QString message;
    if (!exportWeekPdf(arguments[1], plan, message)) {
        std::fprintf(stderr, "%s\n", message.toUtf8().constData());
        return 1;
    }
    return 0;
}
