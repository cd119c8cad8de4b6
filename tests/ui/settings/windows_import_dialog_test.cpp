#include <gtest/gtest.h>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTreeView>

#include "helpers/programme_builders.h"
#include "helpers/ui_helpers.h"
#include "helpers/windows_school.h"
#include "ui/app/main_window.h"
#include "ui/app/program.h"
#include "ui/holidays/holidays_page.h"
#include "ui/immediate/immediate_page.h"
#include "ui/settings/settings_page.h"
#include "ui/settings/windows_import_dialog.h"
#include "ui/timed/timed_page.h"

TEST(WindowsImportDialog, TheImportReplacesEveryListOfTheRunningProgram) {
    RecordedMessages messages;
    TempFolder root;
    TempFolder config;
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    const WindowsSchool school = makeWindowsSchool(root.path());
    const AppPaths paths = AppPaths::forFolders(root.path(), root.file(QStringLiteral("roaming")));
    ProgrammeTable before;
    before.append(makeProgramme(QStringLiteral("旧的上课铃"), {{7, 55, 0}}));
    QString message;
    ASSERT_TRUE(saveProgrammes(paths.dataFolder, before, true, message));
    Program program(paths, false);
    ASSERT_TRUE(program.initialise({}));
    MainWindow* window = program.window();
    auto* settings = static_cast<SettingsPage*>(window->page(MainWindow::kSettingsTab));

    QString report;
    whenModal([&](QWidget* modal) {
        auto* dialog = qobject_cast<WindowsImportDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        // Nothing chosen yet, then a mapping filled on one side only: refused, still open.
        dialog->importButton()->click();
        dialog->sourceEdit()->setText(school.windowsFolder);
        QStandardItemModel* rows = dialog->mappingModel();
        rows->setData(rows->index(0, WindowsImportDialog::PrefixColumn),
                      QStringLiteral("D:\\广播"));
        rows->setData(rows->index(0, WindowsImportDialog::FolderColumn), school.bells);
        child<QPushButton>(dialog, "addMappingButton")->click();
        rows->setData(rows->index(1, WindowsImportDialog::PrefixColumn), QStringLiteral("E:\\"));
        dialog->importButton()->click();
        rows->setData(rows->index(1, WindowsImportDialog::FolderColumn), school.drive);
        messages.answers = {true};
        dialog->importButton()->click();
        report = dialog->report()->toPlainText();
        dialog->reject();
    });
    child<QPushButton>(settings, "windowsImportButton")->click();

    ASSERT_EQ(messages.shown.size(), 3) << messages.texts().join(u'|').toStdString();
    EXPECT_EQ(messages.shown[0].text,
              QStringLiteral("请选择 Windows 版的数据文件夹或它的 ZIP 文件"));
    EXPECT_EQ(messages.shown[1].text,
              QStringLiteral("路径对应第 2 行：Windows 路径和本机文件夹都要填"));
    EXPECT_TRUE(messages.shown[2].yesNo);
    const QStringList lines = report.split(u'\n');
    ASSERT_EQ(lines.size(), 5) << report.toStdString();
    EXPECT_EQ(lines[0], QStringLiteral("未找到: E:\\MUSIC\\Missing.mp3"));
    EXPECT_EQ(lines[3], QStringLiteral("导入完成: 节目 5 个, 节假日 1 个, 调休 1 个, 立即播曲目 3 "
                                       "首; 路径 8 个, 找到 5 个, 未找到 3 个"));
    EXPECT_TRUE(lines[4].startsWith(QStringLiteral("导入前的数据已备份到: ") + paths.dataFolder +
                                    QStringLiteral("/导入前备份-")));

    // Every page shows what came, as after a start on those files.
    auto* timed = static_cast<TimedPage*>(window->page(MainWindow::kTimedTab));
    ASSERT_EQ(timed->programmeList()->model()->rowCount(), 5);
    EXPECT_EQ(timed->programmeList()->model()->index(0, 0).data().toString(),
              QStringLiteral("上课铃"));
    EXPECT_EQ(programmePath(program.programmes().at(0)),
              programmePath(school.native.programmes.at(0)));
    auto* holidays = static_cast<HolidaysPage*>(window->page(MainWindow::kHolidaysTab));
    EXPECT_EQ(holidays->holidayList()->model()->rowCount(), 1);
    EXPECT_EQ(holidays->adjustedDayList()->model()->rowCount(), 1);
    EXPECT_EQ(program.playlist().rowCount(), 3);
    EXPECT_EQ(entryPath(program.immediateStore().settings().playlist[1]),
              school.drive + QStringLiteral("/music/songs/song1.mp3"));
    EXPECT_EQ(settings->duckingText()->text(), QStringLiteral("立即播播出时, 定时播音量降低: 40%"));
    EXPECT_EQ(program.settings().dailyShutdownEnabled, 1);
    program.shutdown(false);
}
