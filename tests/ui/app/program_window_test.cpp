#include <gtest/gtest.h>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTime>
#include <QTreeView>

#include "core/emergency/alarm_setup.h"
#include "core/holidays/holiday_file.h"
#include "core/settings/settings_file.h"
#include "core/support/date_text.h"
#include "core/support/text.h"
#include "core/timed/programme_file.h"
#include "helpers/program_runner.h"
#include "helpers/temp_folder.h"
#include "helpers/test_environment.h"
#include "helpers/tone_files.h"
#include "helpers/ui_helpers.h"
#include "ui/app/bell_watch.h"
#include "ui/app/guarded_application.h"
#include "ui/app/main_window.h"
#include "ui/app/program.h"
#include "ui/app/tab_list_panel.h"
#include "ui/app/tray_area.h"
#include "ui/settings/settings_page.h"
#include "ui/timed/timed_page.h"

namespace {

// One programme due a few seconds from now, playing silence of that length on the silent
// output.
void writeQuietProgramme(const TempFolder& folder, const AppPaths& paths, const QString& name,
                         int secondsAhead, int milliseconds) {
    waitUntilTheDateHoldsFor(secondsAhead + 8);
    writeSilentWav(folder.file(QStringLiteral("quiet.wav")), milliseconds);
    QString message;
    ASSERT_TRUE(writeDueProgramme(paths.dataFolder, name, folder.file(QStringLiteral("quiet.wav")),
                                  secondsAhead, QStringLiteral("NullRenderer"), message))
        << message.toStdString();
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
    const QStringList lines = readPlayLogLines(paths.dataFile(QStringLiteral("定时播日志t.txt")));
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
    writeQuietProgramme(folder, paths, QStringLiteral("静音测试"), 2, 3000);

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
    TempFolder folder;
    const AppPaths paths = AppPaths::forFolders(folder.path(), folder.path());
    writeQuietProgramme(folder, paths, QStringLiteral("课间铃"), 2, 1000);

    Program program(paths, false);
    ASSERT_TRUE(program.initialise({}));
    auto* app = qobject_cast<GuardedApplication*>(qApp);
    ASSERT_NE(app, nullptr);
    Thrower thrower;
    QCoreApplication::postEvent(&thrower, new QEvent(QEvent::User));
    QCoreApplication::processEvents();
    EXPECT_TRUE(app->failed());
    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_TRUE(messages.last().startsWith(QStringLiteral("软件异常 (0xe06d7363)")));
    EXPECT_EQ(messages.shown[0].icon, MessageIcon::Error);
    EXPECT_TRUE(messages.shown[0].topmost);
    // The programme falls due while the message would be open: it does not start.
    pumpEvents(3500);
    const QStringList lines = readPlayLogLines(paths.dataFile(QStringLiteral("定时播日志t.txt")));
    EXPECT_EQ(lines.size(), 1) << lines.join(u'\n').toStdString();
    EXPECT_EQ(program.runs().nowPlaying().rowCount(), 0);
    const auto* page = static_cast<TimedPage*>(program.window()->page(MainWindow::kTimedTab));
    EXPECT_EQ(page->programmeList()->model()->index(0, 1).data().toString(),
              QStringLiteral("停用"));
    // Only in memory: the stored timetable keeps the programme enabled.
    ProgrammeTable stored;
    QString message;
    ASSERT_TRUE(loadProgrammes(paths.dataFolder, stored, message));
    EXPECT_EQ(stored.at(0).disabled, 0u);
    program.shutdown(false);
}

TEST(ProgramWindow, ADamagedFileIsShownAndTheOtherTablesStillPlay) {
    RecordedMessages messages;
    TempFolder folder;
    const AppPaths paths = AppPaths::forFolders(folder.path(), folder.path());
    writeQuietProgramme(folder, paths, QStringLiteral("早操"), 2, 1000);
    HolidayCalendar calendar;
    Holiday christmas = blankHoliday();
    setFieldText(christmas.name, QStringLiteral("圣诞"));
    christmas.range = DateHourRange{2026, 12, 25, 0, 2026, 12, 25, 24};
    calendar.holidays.push_back(christmas);
    QString message;
    ASSERT_TRUE(saveHolidayCalendar(paths.dataFolder, calendar, false, message));
    const QString holidays = paths.dataFile(kHolidayFileName);
    QByteArray bytes = readBytes(holidays);
    bytes[30] = static_cast<char>(bytes[30] ^ 0x55);
    writeBytes(holidays, bytes);

    Program program(paths, false);
    ASSERT_TRUE(program.initialise({}));
    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_EQ(messages.shown[0].icon, MessageIcon::Error);
    EXPECT_TRUE(messages.last().contains(holidays)) << messages.last().toStdString();
    EXPECT_TRUE(program.calendar().holidays.empty());
    EXPECT_EQ(readBytes(holidays + QStringLiteral(".damaged")), bytes) << "kept for rescue";
    // The timetable loaded and the tick runs: the programme plays at its second.
    pumpEvents(3500);
    const QStringList lines = readPlayLogLines(paths.dataFile(QStringLiteral("定时播日志t.txt")));
    ASSERT_GE(lines.size(), 2);
    EXPECT_TRUE(lines[1].endsWith(QStringLiteral("早操 ◆ 开始播放"))) << lines[1].toStdString();
    program.shutdown(false);
}

TEST(ProgramWindow, TodaysStartsFollowTheRunAndTheTrayTipNamesTheNextStart) {
    RecordedMessages messages;
    TempFolder folder;
    const AppPaths paths = AppPaths::forFolders(folder.path(), folder.path());
    writeQuietProgramme(folder, paths, QStringLiteral("课间操"), 4, 1500);
    Program program(paths, false);
    ASSERT_TRUE(program.initialise({}));
    TodayModel& today = program.bellWatch().today();
    ASSERT_EQ(today.rowCount(), 1);
    EXPECT_EQ(today.index(0, TodayModel::State).data().toString(), QStringLiteral("待播"));
    EXPECT_TRUE(today.nextStartText().endsWith(QStringLiteral(" 课间操")));
    auto* tray = dynamic_cast<SystemTrayArea*>(&program.window()->tray());
    ASSERT_NE(tray, nullptr);
    program.window()->hideToTray();
    EXPECT_EQ(tray->toolTip(), kApplicationTitle + u'\n' + today.nextStartText());

    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            return today.index(0, TodayModel::State).data().toString() == QStringLiteral("正在播");
        },
        10000));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            return today.index(0, TodayModel::State).data().toString() == QStringLiteral("已播");
        },
        10000));
    EXPECT_EQ(today.nextStartText(), QString());
    EXPECT_EQ(tray->toolTip(), kApplicationTitle);
    program.shutdown(false);
    EXPECT_TRUE(messages.shown.isEmpty()) << messages.texts().join(u'\n').toStdString();
}

TEST(ProgramWindow, TheListMarksAProgrammeWhoseMusicIsMissingAsTodaysListDoes) {
    RecordedMessages messages;
    TempFolder folder;
    const AppPaths paths = AppPaths::forFolders(folder.path(), folder.path());
    waitUntilTheDateHoldsFor(600 + 8);
    QString message;
    ASSERT_TRUE(writeDueProgramme(paths.dataFolder, QStringLiteral("课间操"),
                                  folder.file(QStringLiteral("gone.mp3")), 600,
                                  QStringLiteral("NullRenderer"), message))
        << message.toStdString();
    Program program(paths, false);
    ASSERT_TRUE(program.initialise({}));
    auto* timed = qobject_cast<TimedPage*>(program.window()->page(MainWindow::kTimedTab));
    ASSERT_NE(timed, nullptr);
    const QAbstractItemModel* list = timed->programmeList()->model();
    const QModelIndex name = list->index(0, 0);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return name.data(Qt::ForegroundRole).toString() == QStringLiteral("darkred"); },
        10000));
    TodayModel& today = program.bellWatch().today();
    ASSERT_EQ(today.rowCount(), 1);
    EXPECT_EQ(name.data(Qt::ToolTipRole).toString(), QStringLiteral("音乐文件不存在"));
    EXPECT_EQ(today.index(0, TodayModel::Reason).data().toString(),
              name.data(Qt::ToolTipRole).toString());
    program.shutdown(false);
}

TEST(ProgramWindow, TheDateRangeColumnShowsWholeAt1280Pixels) {
    RecordedMessages messages;
    TempFolder folder;
    const AppPaths paths = AppPaths::forFolders(folder.path(), folder.path());
    Program program(paths, false);
    ASSERT_TRUE(program.initialise({}));
    program.window()->showNormal();
    program.window()->resize(1280, 800);
    program.window()->selectTab(MainWindow::kTimedTab);
    pumpEvents(50);
    auto* timed = qobject_cast<TimedPage*>(program.window()->page(MainWindow::kTimedTab));
    ASSERT_NE(timed, nullptr);
    QTreeView* list = timed->programmeList();
    const QHeaderView* header = list->header();
    const int dates = ProgrammeListModel::DateRange;
    const QString widest = formatDateHourRange({2026, 12, 28, 20, 2026, 12, 28, 24});
    EXPECT_LE(header->sectionViewportPosition(dates) + header->sectionSize(dates),
              list->viewport()->width());
    EXPECT_GE(header->sectionSize(dates), list->fontMetrics().horizontalAdvance(widest));
    program.shutdown(false);
}

// The red button: one click sounds the alarm chosen on the settings tab on every output (here
// the silent one), a second ends it; the play log tells both.
TEST(ProgramWindow, TheRedButtonSoundsTheChosenAlarmAndASecondClickEndsIt) {
    RecordedMessages messages;
    TempFolder folder;
    const AppPaths paths = AppPaths::forFolders(folder.path(), folder.path());
    SystemSettings settings = firstRunSettings();
    setOutputDeviceName(settings, QStringLiteral("NullRenderer"));
    QString message;
    ASSERT_TRUE(saveSystemSettings(paths.dataFolder, settings, message));
    Program program(paths, false);
    ASSERT_TRUE(program.initialise({}));
    auto* settingsPage =
        static_cast<SettingsPage*>(program.window()->page(MainWindow::kSettingsTab));
    EXPECT_EQ(settingsPage->alarmText()->text(), QStringLiteral("自带警报声"));
    const QString alarm = toneFile(QStringLiteral("wav"), 1.0);
    settingsPage->chooseAlarm(alarm);
    EXPECT_EQ(settingsPage->alarmText()->text(), alarm);
    EmergencySetup saved;
    ASSERT_TRUE(loadEmergencySetup(paths.dataFolder, saved, message));
    EXPECT_EQ(saved.alarmFile, alarm);

    QPushButton* red = program.window()->tabList()->emergencyButton();
    EXPECT_EQ(red->text(), QStringLiteral("紧急广播"));
    QTest::mouseClick(red, Qt::LeftButton);
    EXPECT_TRUE(program.emergency().isActive());
    EXPECT_EQ(red->text(), QStringLiteral("停止紧急广播"));
    QTRY_COMPARE_WITH_TIMEOUT(program.alarmSound().soundingOutputs(),
                              QStringList{QStringLiteral("NullRenderer")}, 5000);
    EXPECT_EQ(program.alarmSound().soundingFile(), alarm);
    QTest::mouseClick(red, Qt::LeftButton);
    EXPECT_FALSE(program.emergency().isActive());
    EXPECT_EQ(red->text(), QStringLiteral("紧急广播"));
    const QStringList lines = readPlayLogLines(paths.dataFile(QStringLiteral("定时播日志t.txt")));
    EXPECT_EQ(lines.filter(QStringLiteral("紧急广播 ◆ ")).size(), 2)
        << lines.join(u'\n').toStdString();
    settingsPage->chooseAlarm(QString());
    EXPECT_EQ(settingsPage->alarmText()->text(), QStringLiteral("自带警报声"));
    program.shutdown(false);
    EXPECT_TRUE(messages.shown.isEmpty()) << messages.last().toStdString();
}
