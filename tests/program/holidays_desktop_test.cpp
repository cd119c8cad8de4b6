#include <gtest/gtest.h>
#include <QDir>
#include <QImage>
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
    ASSERT_TRUE(desktop.waitUntilShown(kWindowTitle)) << program.describe().toStdString();
    const QPoint origin = desktop.windowOrigin(kWindowTitle);
    ASSERT_GE(origin.x(), 0);
    // The tab list: below the 56-pixel logo and its margins, six entries of 30 pixels.
    const QRect pageArea(origin + QPoint(170, 0), QSize(600, 420));
    const QPoint bannerPoint = pageArea.topLeft() + QPoint(30, 4);
    const auto grab = [&](const QString& name) {
        const QString png = QDir::tempPath() + QStringLiteral("/kelvora-%1.png").arg(name);
        return desktop.screenshot(png) ? QImage(png) : QImage();
    };
    const auto blue = [](const QColor& c) { return c.blue() > c.red() + 40; };
    // The introduction's blue banner, once the window is painted.
    QImage intro;
    EXPECT_TRUE(waitUntil(
        [&] {
            intro = grab(QStringLiteral("intro"));
            return !intro.isNull() && blue(intro.pixelColor(bannerPoint));
        },
        5000));
    ASSERT_TRUE(desktop.click(origin + QPoint(80, 72 + 3 * 30 + 16)));
    // It gives way to the lists' rows of text.
    QImage screen;
    EXPECT_TRUE(waitUntil(
        [&] {
            screen = grab(QStringLiteral("holidays"));
            return !screen.isNull() && !blue(screen.pixelColor(bannerPoint)) &&
                   darkPixels(screen, pageArea) > 2000;
        },
        5000));
    ASSERT_FALSE(screen.isNull());
    const QColor label = screen.pixelColor(bannerPoint);
    EXPECT_LT(qAbs(label.blue() - label.red()), 20);
    EXPECT_GT(darkPixels(screen, pageArea), 2000);
    EXPECT_EQ(program.stop(SIGINT), 0);
    EXPECT_TRUE(program.errors().isEmpty()) << program.errors().toStdString();
}
