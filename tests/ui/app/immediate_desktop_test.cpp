#include <gtest/gtest.h>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <cstdio>

#include "audio/duration_probe.h"
#include "core/immediate/immediate_file.h"
#include "core/settings/settings_file.h"
#include "helpers/child_mode.h"
#include "helpers/desktop_session.h"
#include "helpers/temp_folder.h"
#include "helpers/tone_files.h"
#include "ui/app/guarded_application.h"
#include "ui/app/main_window.h"
#include "ui/app/program.h"
#include "ui/immediate/immediate_page.h"
#include "ui/immediate/limit_dialog.h"

// The page as a caretaker sees it: the real program on a private X display, playing the third
// of five tracks. The same binary, started again with KB_IMMEDIATE_DESKTOP set, is that
// program.

namespace {

const char* const kChildVariable = "KB_IMMEDIATE_DESKTOP";

// Starts the current track through the page's own button and limit dialog ("播 n 首" = 3),
// then says "ready" once the track has played a few seconds.
int runProgram(int argc, char** argv) {
    GuardedApplication app(argc, argv);
    const QString roaming = qEnvironmentVariable(kChildVariable);
    Program program(AppPaths::forFolders(QCoreApplication::applicationDirPath(), roaming), false);
    if (!program.initialise({})) {
        return 1;
    }
    program.window()->setGeometry(0, 0, 1280, 800);
    program.window()->selectTab(MainWindow::kImmediateTab);
    QTimer::singleShot(500, [] {
        if (auto* limit = qobject_cast<LimitDialog*>(QApplication::activeModalWidget())) {
            limit->tracksEdit()->setText(QStringLiteral("3"));
            limit->accept();
        }
    });
    program.immediatePage()->startButton()->click();
    QTimer::singleShot(3500, [] {
        std::printf("ready\n");
        std::fflush(stdout);
    });
    QTimer::singleShot(60'000, &app, &QCoreApplication::quit);
    app.exec();
    program.shutdown(true);
    return 0;
}

const ChildMode kChild(kChildVariable, runProgram);

}  // namespace

TEST(ImmediateDesktop, PageWithFiveTracksOneCurrentAndPlaying) {
    DesktopSession desktop;
    ASSERT_TRUE(desktop.start(false, false));
    TempFolder roaming;
    const QString data = roaming.file(kDataFolderName);
    ImmediateSettings settings;
    const QStringList names = {QStringLiteral("01 早操音乐.mp3"), QStringLiteral("02 眼保健操.ogg"),
                               QStringLiteral("03 课间音乐.mp3"),
                               QStringLiteral("04 升旗仪式.flac"),
                               QStringLiteral("05 放学铃声.wav")};
    const QStringList kinds = {QStringLiteral("mp3"), QStringLiteral("ogg"), QStringLiteral("mp3"),
                               QStringLiteral("flac"), QStringLiteral("wav")};
    QDir().mkpath(roaming.file(QStringLiteral("music")));
    for (int i = 0; i < names.size(); ++i) {
        const QString path = roaming.file(QStringLiteral("music/") + names[i]);
        ASSERT_TRUE(QFile::copy(toneFile(kinds[i], 60.0 + 45.0 * i, 330), path));
        settings.playlist.push_back(
            makePlaylistEntry(path, storableDuration(probeDurationMs(path))));
    }
    settings.playlist[2].isCurrent = 1;
    QString message;
    ASSERT_TRUE(saveImmediateSettings(data, settings, message)) << message.toStdString();
    // Played on the silent output: the shared test sinks stay quiet.
    SystemSettings system = firstRunSettings();
    setOutputDeviceName(system, QStringLiteral("NullRenderer"));
    ASSERT_TRUE(saveSystemSettings(data, system, message));

    QProcess program;
    QProcessEnvironment env = desktop.environment();
    env.insert(QString::fromLatin1(kChildVariable), roaming.path());
    program.setProcessEnvironment(env);
    program.start(QCoreApplication::applicationFilePath(), {});
    ASSERT_TRUE(program.waitForStarted(5000));
    QElapsedTimer timer;
    timer.start();
    QByteArray output;
    while (!output.contains("ready") && timer.elapsed() < 30'000 &&
           program.state() == QProcess::Running) {
        program.waitForReadyRead(200);
        output += program.readAllStandardOutput();
    }
    ASSERT_TRUE(output.contains("ready")) << program.readAllStandardError().toStdString();
    const QString png = QDir::tempPath() + QStringLiteral("/kelvora-immediate-page.png");
    ASSERT_TRUE(desktop.screenshot(png));
    program.kill();
    program.waitForFinished(5000);
    std::printf("screenshot: %s\n", qPrintable(png));

    // The current track's row is painted in its own green.
    const QImage screen(png);
    ASSERT_FALSE(screen.isNull());
    int green = 0;
    for (int y = 0; y < screen.height(); ++y) {
        for (int x = 0; x < screen.width(); ++x) {
            green += screen.pixelColor(x, y) == QColor(230, 255, 210) ? 1 : 0;
        }
    }
    EXPECT_GT(green, 5000) << "one row of the list, about 700 by 20 pixels";
    EXPECT_LT(green, 40000) << "and only one";
}
