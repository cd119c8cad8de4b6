#include <gtest/gtest.h>
#include <QDir>
#include <QImage>
#include <csignal>

#include "core/storage/app_paths.h"
#include "helpers/desktop_session.h"
#include "helpers/program_runner.h"
#include "helpers/temp_folder.h"

namespace {

const QString& kTitle = kApplicationTitle;

}  // namespace

TEST(Desktop, WindowShowsTheTabListAndTheIntroduction) {
    DesktopSession desktop;
    ASSERT_TRUE(desktop.start(false, false));
    ProgramRunner program;
    program.addEnvironment(desktop.environment());
    ASSERT_TRUE(program.start({}));
    ASSERT_TRUE(desktop.waitUntilShown(kTitle)) << program.describe().toStdString();
    TempFolder shots;
    const QString png = shots.file(QStringLiteral("window.png"));
    // The logo is blue once the window is painted; the tab list and the welcome page are white.
    QImage screen;
    EXPECT_TRUE(waitUntil(
        [&] {
            screen = desktop.screenshot(png) ? QImage(png) : QImage();
            const QColor logo = screen.isNull() ? QColor() : screen.pixelColor(100, 12);
            return logo.blue() > logo.red() + 40;
        },
        5000));
    ASSERT_FALSE(screen.isNull());
    EXPECT_GT(screen.pixelColor(60, 160).lightness(), 230);
    EXPECT_GT(screen.pixelColor(700, 500).lightness(), 230);
    // Written after the window is up; a slow (sanitized) build gets there later.
    EXPECT_TRUE(waitUntil([&] { return program.logLines().size() == 1; }, 10000));
    EXPECT_EQ(program.stop(SIGINT), 0);
}

TEST(Desktop, ArgumentOneHidesInTheTrayAndASecondCopyBringsItBack) {
    DesktopSession desktop;
    ASSERT_TRUE(desktop.start(true, true));
    ProgramRunner program;
    program.addEnvironment(desktop.environment());
    ASSERT_TRUE(program.start({QStringLiteral("1")}));
    ASSERT_TRUE(waitUntil([&] { return desktop.trayIcons() == 1; }, 10000))
        << desktop.windows().toStdString() << program.describe().toStdString();
    EXPECT_EQ(desktop.mapState(kTitle), QStringLiteral("IsUnMapped"));
    EXPECT_FALSE(desktop.logindCalls().contains(QStringLiteral("LockSession")));

    QProcess second;
    second.setProcessEnvironment(program.environment());
    second.start(QStringLiteral(KB_PROGRAM_PATH), {QStringLiteral("--headless")});
    ASSERT_TRUE(second.waitForFinished(5000));
    EXPECT_TRUE(
        waitUntil([&] { return desktop.mapState(kTitle) == QLatin1String("IsViewable"); }, 3000));
    EXPECT_TRUE(waitUntil([&] { return desktop.trayIcons() == 0; }, 3000));
    EXPECT_EQ(program.stop(SIGINT), 0);
}

TEST(Desktop, ArgumentTwoLocksTheScreenAndSleepIsInhibitedWhileRunning) {
    DesktopSession desktop;
    ASSERT_TRUE(desktop.start(false, true));
    ProgramRunner program;
    program.addEnvironment(desktop.environment());
    ASSERT_TRUE(program.start({QStringLiteral("2")}));
    ASSERT_TRUE(waitUntil(
        [&] { return desktop.logindCalls().contains(QStringLiteral("LockSession \"c1\"")); },
        15000))
        << desktop.logindCalls().toStdString();
    EXPECT_TRUE(
        waitUntil([&] { return desktop.mapState(kTitle) == QLatin1String("IsViewable"); }, 5000));
    const QStringList inhibitors = desktop.inhibitors();
    ASSERT_EQ(inhibitors.size(), 1);
    EXPECT_TRUE(inhibitors[0].startsWith(QStringLiteral("sleep:idle|澜川校园定时广播系统|")));
    EXPECT_TRUE(inhibitors[0].endsWith(QStringLiteral("|block")));
    EXPECT_EQ(program.stop(SIGINT), 0);
    EXPECT_TRUE(waitUntil([&] { return desktop.inhibitors().isEmpty(); }, 3000))
        << "released at exit";
}

TEST(Desktop, ArgumentThreeDoesBothAndAMachineWithoutLogindStartsAnyway) {
    {
        DesktopSession desktop;
        ASSERT_TRUE(desktop.start(true, true));
        ProgramRunner program;
        program.addEnvironment(desktop.environment());
        ASSERT_TRUE(program.start({QStringLiteral(" 3 ")}));
        ASSERT_TRUE(waitUntil([&] { return desktop.trayIcons() == 1; }, 10000))
            << desktop.windows().toStdString() << program.describe().toStdString();
        // The lock follows the tray icon.
        EXPECT_TRUE(waitUntil(
            [&] { return desktop.logindCalls().contains(QStringLiteral("LockSession")); }, 10000));
        EXPECT_EQ(desktop.mapState(kTitle), QStringLiteral("IsUnMapped"));
        EXPECT_EQ(program.stop(SIGINT), 0);
    }
    {
        DesktopSession desktop;
        ASSERT_TRUE(desktop.start(false, false));
        ProgramRunner program;
        program.addEnvironment(desktop.environment());
        ASSERT_TRUE(program.start({QStringLiteral("2")}));
        ASSERT_TRUE(waitUntil([&] { return program.logLines().size() == 1; }, 15000));
        EXPECT_TRUE(program.logLines()[0].endsWith(QStringLiteral("软件启动")));
        EXPECT_EQ(program.stop(SIGINT), 0);
        EXPECT_EQ(program.logLines().size(), 2);
    }
}
