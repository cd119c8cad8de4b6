// The week at a glance with 256 programmes of 512 starts every day: the time to find the
// week's starts, to lay them out, to paint the view (fitted and zoomed), to find the block
// under the mouse and to write the PDF. With --shots it also saves pictures of the real
// dialog, for that timetable and for a random school week with a holiday and an adjusted
// day; --write-data puts that random week into a data folder for the program's own tools.
//   build-ci/bench/week_view_bench [--shots DIR] [--write-data XDG_DATA_HOME]
// Pictures need a display: xvfb-run -a -s "-screen 0 1280x800x24" build-ci/bench/... --shots D
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QImage>
#include <QScrollBar>
#include <algorithm>
#include <cstdio>

#include "core/holidays/holiday_file.h"
#include "core/storage/app_paths.h"
#include "core/timed/programme_file.h"
#include "core/timed/programme_list_model.h"
#include "helpers/random_timetable.h"
#include "helpers/simulated_clock.h"
#include "ui/timed/week_dialog.h"
#include "ui/timed/week_print.h"
#include "ui/timed/week_view.h"

namespace {

const LocalDateTime kMonday = makeDateTime(2024, 5, 13);

// 512 starts from 06:00 to 22:00, each programme a little later than the one before.
ProgrammeTable largeTimetable() {
    ProgrammeTable table;
    for (int i = 0; i < kMaxProgrammes; ++i) {
        Programme p = newProgramme();
        setProgrammeName(p, QStringLiteral("节目 %1").arg(i));
        setProgrammePath(p, QStringLiteral("/music/%1.mp3").arg(i));
        p.startCount = kMaxStartTimes;
        for (int k = 0; k < kMaxStartTimes; ++k) {
            const int second = 6 * 3600 + k * (16 * 3600 / kMaxStartTimes) + i * 7 % 112;
            p.startTimes[k] = ClockTime{second / 3600, second / 60 % 60, second % 60};
        }
        if (i % 3 == 0) {
            p.countByTracks = 0;
            p.secondsCount = 30 + i % 90;
        }
        table.append(p);
    }
    return table;
}

template <class F>
double medianMs(int rounds, F&& f) {
    std::vector<double> times;
    for (int r = 0; r < rounds; ++r) {
        QElapsedTimer timer;
        timer.start();
        f();
        times.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

void measure() {
    const ProgrammeTable table = largeTimetable();
    const HolidayCalendar calendar;
    WeekPlan plan;
    const double planMs = medianMs(3, [&] { plan = planWeek(table, calendar, kMonday); });
    const double lengthsMs = medianMs(
        3, [&] { applyLengths(plan, [](const QString&, bool) { return qint64{25000}; }); });
    std::printf("starts in the week: %zu\n", plan.startCount());
    std::printf("plan the week (the preview's evaluation): %.1f ms\n", planMs);
    std::printf("apply lengths: %.2f ms\n", lengthsMs);

    WeekView view;
    view.resize(1100, 640);
    view.show();
    QApplication::processEvents();
    view.setPlan(&plan);
    QImage image(view.viewport()->size(), QImage::Format_ARGB32_Premultiplied);
    const double layoutMs = medianMs(5, [&] { view.setPlan(&plan); });
    std::printf("lay out the blocks (view %dx%d): %.1f ms\n", view.width(), view.height(),
                layoutMs);
    const double fitted = medianMs(20, [&] { view.viewport()->render(&image); });
    std::printf("paint, whole day in the window: %.2f ms\n", fitted);
    view.setZoom(240);
    view.verticalScrollBar()->setValue(view.verticalScrollBar()->maximum() / 2);
    const double zoomed = medianMs(20, [&] { view.viewport()->render(&image); });
    std::printf("paint, 240 px per hour, scrolled to mid-day: %.2f ms\n", zoomed);
    const QPoint middle = view.chart().body().center().toPoint();
    const double hitUs = medianMs(200, [&] { (void)view.programmeAt(middle); }) * 1000;
    std::printf("block under the mouse: %.1f us\n", hitUs);

    QDir().mkpath(QDir::tempPath());
    const QString pdf = QDir::temp().filePath(QStringLiteral("week_view_bench.pdf"));
    QString message;
    bool written = false;
    const double pdfMs = medianMs(1, [&] { written = exportWeekPdf(pdf, plan, message); });
    std::printf("PDF (chart and the list, capped): %.0f ms, %lld KiB%s\n", pdfMs,
                QFileInfo(pdf).size() / 1024,
                written ? "" : qPrintable(QStringLiteral(" FAILED ") + message));
    QFile::remove(pdf);
}

// The dialog as the program shows it, saved once every length is known.
void shoot(const ProgrammeTable& table, const HolidayCalendar& calendar, const QString& file,
           double zoom = 0) {
    ProgrammeTable copy = table;
    SimulatedClock clock;
    clock.set(makeDateTime(2024, 5, 15, 10, 0, 0));
    ProgrammeListModel model(copy, clock);
    WeekDialog dialog({model, calendar, clock});
    dialog.resize(1180, 760);
    dialog.show();
    while (dialog.lengths().pending() > 0) {
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
    }
    QElapsedTimer settle;
    settle.start();
    while (settle.elapsed() < 500) {
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    if (zoom > 0) {
        dialog.view()->setZoom(zoom);
        dialog.view()->verticalScrollBar()->setValue(dialog.view()->verticalScrollBar()->maximum() /
                                                     3);
    }
    const bool saved = dialog.grab().save(file);
    std::printf("%s %s\n", saved ? "saved" : "could not save", qPrintable(file));
}

}  // namespace

int main(int argc, char** argv) {
    const QStringList arguments = [&] {
        QStringList list;
        for (int i = 1; i < argc; ++i) {
            list.append(QString::fromLocal8Bit(argv[i]));
        }
        return list;
    }();
    const int shotsAt = static_cast<int>(arguments.indexOf(QStringLiteral("--shots")));
    const int dataAt = static_cast<int>(arguments.indexOf(QStringLiteral("--write-data")));
    if (shotsAt < 0 && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    if (dataAt >= 0) {
        const QString xdg = arguments.value(dataAt + 1);
        const QString data = xdg + QStringLiteral("/KelvoraBroadcasting9");
        const RandomTimetable week =
            randomTimetable(20240513, kMonday, 24, 6, xdg + QStringLiteral("/music"));
        QString message;
        QDir().mkpath(data);
        if (!saveProgrammes(data, week.table, false, message) ||
            !saveHolidayCalendar(data, week.calendar, false, message)) {
            std::fprintf(stderr, "%s\n", qPrintable(message));
            return 1;
        }
        std::printf("wrote the random week of 2024-05-13 to %s\n", qPrintable(data));
        return 0;
    }
    if (shotsAt >= 0) {
        const QString folder = arguments.value(shotsAt + 1);
        QDir().mkpath(folder);
        TempFolder music;
        const RandomTimetable week = randomTimetable(20240513, kMonday, 24, 6, music.path());
        shoot(week.table, week.calendar, folder + QStringLiteral("/random_week.png"));
        shoot(week.table, week.calendar, folder + QStringLiteral("/random_week_zoomed.png"), 150);
        shoot(largeTimetable(), HolidayCalendar(), folder + QStringLiteral("/256x512.png"));
        shoot(largeTimetable(), HolidayCalendar(), folder + QStringLiteral("/256x512_zoomed.png"),
              700);
        return 0;
    }
    measure();
    return 0;
}
