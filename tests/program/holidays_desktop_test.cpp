#include <gtest/gtest.h>
#include <QDir>
#include <QImage>
#include <QThread>
#include <csignal>

#include "core/holidays/holiday_file.h"
#include "core/storage/app_paths.h"
#include "helpers/desktop_session.h"
#include "helpers/holiday_builders.h"
#include "helpers/program_runner.h"

namespace {

const QString& kWindowTitle = kApplicationTitle;

// Pixels clearly darker than the page and the lists: text.
int darkPixels(const QImage& image, const QRect& area) {
    int dark = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (image.pixelColor(x, y).lightness() < 100) {
                ++dark;
            }
        }
    }
    return dark;
}

}  // namespace

TEST(HolidaysDesktop, TheTabShowsTheHolidaysAndAdjustedDaysOfTheFile) {
    DesktopSession desktop;
    ASSERT_TRUE(desktop.start(false, false));
    ProgramRunner program;
    program.addEnvironment(desktop.environment());
    HolidayCalendar calendar;
    calendar.holidays = {
        makeHoliday(QStringLiteral("劳动节"), {2025, 5, 1, 0, 2025, 5, 5, 24}),
        makeHoliday(QStringLiteral("国庆节"), {2025, 10, 1, 0, 2025, 10, 8, 24}),
        makeHoliday(QStringLiteral("运动会"), {2025, 10, 16, 8, 2025, 10, 17, 17}, true)};
    calendar.adjustedDays = {
        makeAdjustedDay({2025, 4, 27}, {2025, 5, 5}, false, QStringLiteral("周日上班, 按周一")),
        makeAdjustedDay({2025, 9, 28}, {2025, 10, 8}, true, QStringLiteral("国庆调休"))};
    QString message;
    ASSERT_TRUE(saveHolidayCalendar(program.dataFolder(), calendar, true, message))
        << message.toStdString();
    ASSERT_TRUE(program.start({}));
    ASSERT_TRUE(waitUntil(
        [&] { return desktop.mapState(kWindowTitle) == QLatin1String("IsViewable"); }, 40000));
    QThread::msleep(500);
    const QPoint origin = desktop.windowOrigin(kWindowTitle);
    ASSERT_GE(origin.x(), 0);
    // The tab list: below the 56-pixel logo and its margins, six entries of 30 pixels.
    const QRect pageArea(origin + QPoint(170, 0), QSize(600, 420));
    const QString before = QDir::tempPath() + QStringLiteral("/kelvora-intro.png");
    ASSERT_TRUE(desktop.screenshot(before));
    ASSERT_TRUE(desktop.click(origin + QPoint(80, 72 + 3 * 30 + 16)));
    QThread::msleep(700);
    const QString png = QDir::tempPath() + QStringLiteral("/kelvora-holidays.png");
    ASSERT_TRUE(desktop.screenshot(png));
    const QImage intro(before);
    const QImage screen(png);
    ASSERT_FALSE(screen.isNull());
    // The introduction's blue banner gave way to the lists' rows of text.
    const QColor banner = intro.pixelColor(pageArea.topLeft() + QPoint(30, 4));
    EXPECT_GT(banner.blue(), banner.red() + 40);
    const QColor label = screen.pixelColor(pageArea.topLeft() + QPoint(30, 4));
    EXPECT_LT(qAbs(label.blue() - label.red()), 20);
    EXPECT_GT(darkPixels(screen, pageArea), 2000);
    EXPECT_EQ(program.stop(SIGINT), 0);
    EXPECT_TRUE(program.errors().isEmpty()) << program.errors().toStdString();
}
