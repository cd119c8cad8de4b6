#include <gtest/gtest.h>
#include <QPushButton>
#include <QRadioButton>
#include <QTime>
#include <QTreeView>

#include "app/guarded_application.h"
#include "app/main_window.h"
#include "app/program.h"
#include "settings/settings_file.h"
#include "support/temp_folder.h"
#include "support/ui_helpers.h"
#include "timed/programme_file.h"
#include "timed/timed_page.h"

namespace {

QStringList logLines(const QString& path) {
    const QByteArray bytes = readBytes(path);
    if (bytes.size() < 2) {
        return {};
    }
    return QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.constData() + 2),
                              (bytes.size() - 2) / 2)
        .split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
}

class Thrower : public QObject {
  public:
    bool event(QEvent* e) override {
        if (e->type() == QEvent::User) {
            throw std::runtime_error("broken handler");
        }
        return QObject::event(e);
    }
};

}  // namespace

TEST(ProgramWindow, CloseDialogExitRunsTheOrderlyExit) {
    RecordedMessages messages;
    TempFolder folder;
    const AppPaths paths = AppPaths::forFolders(folder.path(), folder.path());
    Program program(paths, false);
    ASSERT_TRUE(program.initialise({}));
    ASSERT_NE(program.window(), nullptr);
    EXPECT_TRUE(program.window()->isVisible());
    EXPECT_EQ(program.window()->currentTab(), MainWindow::kIntroTab);
    bool finished = false;
    QObject::connect(&program, &Program::finished, [&] { finished = true; });
    whenModal([](QWidget* dialog) {
        for (QRadioButton* radio : dialog->findChildren<QRadioButton*>()) {
            if (radio->text() == QStringLiteral("退出程序")) {
                radio->click();
            }
        }
        for (QPushButton* button : dialog->findChildren<QPushButton*>()) {
            if (button->text() == QStringLiteral("确定")) {
                button->click();
            }
        }
    });
    program.window()->close();
    EXPECT_TRUE(finished);
    EXPECT_TRUE(program.isShutDown());
    EXPECT_FALSE(program.window()->isVisible());
    const QStringList lines = logLines(paths.dataFile(QStringLiteral("定时播日志t.txt")));
    ASSERT_EQ(lines.size(), 2);
    EXPECT_TRUE(lines[0].endsWith(QStringLiteral("软件启动")));
    EXPECT_TRUE(lines[1].endsWith(QStringLiteral("软件关闭")));
    EXPECT_TRUE(messages.shown.isEmpty()) << messages.last().toStdString();
}

TEST(ProgramWindow, RunsAndReportsAppearLiveOnTheTimedPage) {
    RecordedMessages messages;
    TempFolder folder;
    const AppPaths paths = AppPaths::forFolders(folder.path(), folder.path());
    // Three seconds of silence, played on the silent output.
    writeSilentWav(folder.file(QStringLiteral("quiet.wav")), 3000);
    if (QTime::currentTime() > QTime(23, 59, 50)) {
        GTEST_SKIP() << "too close to midnight";
    }
    ProgrammeTable table;
    Programme p = newProgramme();
    setProgrammeName(p, QStringLiteral("静音测试"));
    setProgrammePath(p, folder.file(QStringLiteral("quiet.wav")));
    const QTime start = QTime::currentTime().addSecs(2);
    p.startTimes[0] = ClockTime{start.hour(), start.minute(), start.second()};
    table.append(p);
    SystemSettings settings = firstRunSettings();
    setOutputDeviceName(settings, QStringLiteral("NullRenderer"));
    QString message;
    ASSERT_TRUE(saveProgrammes(paths.dataFolder, table, true, message));
    ASSERT_TRUE(saveSystemSettings(paths.dataFolder, settings, message));

    Program program(paths, false);
    ASSERT_TRUE(program.initialise({}));
    auto* page = static_cast<TimedPage*>(program.window()->page(MainWindow::kTimedTab));
    const QAbstractItemModel& programmes = *page->programmeList()->model();
    const QAbstractItemModel& playing = *page->nowPlayingList()->model();
    const QAbstractItemModel& log = *page->logList()->model();
    ASSERT_EQ(programmes.rowCount(), 1);
    EXPECT_EQ(programmes.index(0, 0).data().toString(), QStringLiteral("静音测试"));
    pumpEvents(2500);  // due within 2 s, playing until 4 s at least
    auto logTexts = [&] {
        QStringList rows;
        for (int i = 0; i < log.rowCount(); ++i) {
            rows.append(log.index(i, 1).data().toString());
        }
        return rows;
    };
    ASSERT_EQ(playing.rowCount(), 1) << logTexts().join(u'\n').toStdString();
    EXPECT_EQ(playing.index(0, 1).data().toString(), QStringLiteral("1/1遍"));
    EXPECT_EQ(logTexts(),
              (QStringList{QStringLiteral("软件启动"), QStringLiteral("静音测试 ◆ 开始播放")}));
    pumpEvents(3000);
    EXPECT_EQ(playing.rowCount(), 0);
    EXPECT_EQ(logTexts().value(2), QStringLiteral("静音测试 ◆ 播放结束"));
    program.shutdown(false);
    EXPECT_TRUE(messages.shown.isEmpty()) << messages.last().toStdString();
}

TEST(ProgramWindow, AnExceptionIsShownAndStopsNewStarts) {
    RecordedMessages messages;
    auto* app = qobject_cast<GuardedApplication*>(qApp);
    ASSERT_NE(app, nullptr);
    bool disabled = false;
    app->setBeforeMessage([&] { disabled = true; });
    Thrower thrower;
    QCoreApplication::postEvent(&thrower, new QEvent(QEvent::User));
    QCoreApplication::processEvents();
    EXPECT_TRUE(disabled);
    EXPECT_TRUE(app->failed());
    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_TRUE(messages.last().startsWith(QStringLiteral("软件异常 (0xe06d7363)")));
    EXPECT_EQ(messages.shown[0].icon, MessageIcon::Error);
    EXPECT_TRUE(messages.shown[0].topmost);
}
