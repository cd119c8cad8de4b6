#include <gtest/gtest.h>
#include <QDate>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTreeWidget>

#include "core/timed/programme_file.h"
#include "helpers/programme_builders.h"
#include "ui/app/main_window.h"
#include "ui/app/program.h"
#include "ui/settings/backup_dialog.h"
#include "ui/settings/settings_fixture.h"
#include "ui/timed/timed_page.h"

namespace {

// Types the file's path into the next file dialog and remembers what it proposed.
void inFileDialog(const QString& file, QString* proposed = nullptr) {
    whenModal([file, proposed](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        if (proposed != nullptr) {
            *proposed = dialog->selectedFiles().value(0);
        }
        auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(name, nullptr);
        name->setText(file);
        static_cast<QDialog*>(dialog)->accept();  // QFileDialog's own accept, which is protected
    });
}

}  // namespace

TEST(BackupDialog, BackupProposesTheDatedNameAndRestoreAsksFirst) {
    SettingsFixture f;
    f.harness.table.append(makeProgramme(QStringLiteral("夏季早操"), {{8, 0, 0}}));
    TempFolder archives;
    const QString summer = archives.file(QStringLiteral("summer.zip"));
    const QString winter = archives.file(QStringLiteral("winter.zip"));
    ProgrammeTable winterTable;
    winterTable.append(makeProgramme(QStringLiteral("冬季早操"), {{8, 30, 0}}));
    QString message;
    ASSERT_TRUE(writeTimetableBackup(winter, winterTable, HolidayCalendar(), message));
    QString proposed;
    QStringList labels;
    whenModal([&](QWidget* modal) {
        auto* dialog = qobject_cast<BackupDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->windowTitle(), QStringLiteral("节目备份与还原"));
        for (QLabel* label : dialog->findChildren<QLabel*>()) {
            labels.append(label->text());
        }
        inFileDialog(summer, &proposed);
        buttonOf(dialog, QStringLiteral("备份..."))->click();
        // No to the question: nothing changes.
        inFileDialog(winter);
        f.messages.answers = {false};
        buttonOf(dialog, QStringLiteral("还原..."))->click();
        EXPECT_EQ(programmeName(f.harness.table.at(0)), QStringLiteral("夏季早操"));
        inFileDialog(winter);
        f.messages.answers = {true};
        buttonOf(dialog, QStringLiteral("还原..."))->click();
        buttonOf(dialog, QStringLiteral("关闭"))->click();
    });
    const QString firstFolder = backupFolder();
    f.page->openBackup();
    EXPECT_EQ(proposed, firstFolder + u'/' + suggestedBackupName(QDate::currentDate()));
    EXPECT_TRUE(labels.contains(QStringLiteral("定时播节目单、 节假日~调休")));
    EXPECT_TRUE(labels.contains(QStringLiteral("通过备份还原，实现作息表切换")));
    ASSERT_EQ(f.messages.shown.size(), 4) << f.messages.texts().join(u'|').toStdString();
    EXPECT_EQ(f.messages.shown[0].text, QStringLiteral("备份成功：\n") + summer);
    EXPECT_TRUE(f.messages.shown[1].yesNo);
    EXPECT_TRUE(f.messages.shown[2].yesNo);
    EXPECT_TRUE(f.messages.shown[3].text.startsWith(QStringLiteral("还原成功")));
    ASSERT_EQ(f.harness.table.size(), 1);
    EXPECT_EQ(programmeName(f.harness.table.at(0)), QStringLiteral("冬季早操"));
    Timetable saved;
    ASSERT_TRUE(readTimetableBackup(summer, saved, message)) << message.toStdString();
    EXPECT_EQ(programmeName(saved.programmes.at(0)), QStringLiteral("夏季早操"));
}

TEST(BackupDialog, TheRestoreDialogOpensWhereTheLastBackupWasSaved) {
    SettingsFixture f;
    TempFolder archives;
    const QString saved = archives.file(QStringLiteral("节目备份.zip"));
    QString restoreOpenedIn;
    whenModal([&](QWidget* modal) {
        auto* dialog = qobject_cast<BackupDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        inFileDialog(saved);
        buttonOf(dialog, QStringLiteral("备份..."))->click();
        whenModal([&](QWidget* files) {
            restoreOpenedIn = qobject_cast<QFileDialog*>(files)->directory().absolutePath();
            static_cast<QDialog*>(files)->reject();
        });
        buttonOf(dialog, QStringLiteral("还原..."))->click();
        buttonOf(dialog, QStringLiteral("关闭"))->click();
    });
    f.page->openBackup();
    ASSERT_TRUE(QFile::exists(saved));
    EXPECT_EQ(restoreOpenedIn, QDir(archives.path()).absolutePath());
}

TEST(BackupDialog, ARestoreRefillsTheTimedPageAndTellsTheOtherPages) {
    RecordedMessages messages;
    TempFolder data;
    TempFolder config;
    TempFolder archives;
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    const AppPaths paths = AppPaths::forFolders(data.path(), data.path());
    ProgrammeTable summer;
    summer.append(makeProgramme(QStringLiteral("夏季早操"), {{8, 0, 0}}));
    QString message;
    ASSERT_TRUE(saveProgrammes(paths.dataFolder, summer, true, message));
    Program program(paths, false);
    ASSERT_TRUE(program.initialise({}));
    auto* timed = static_cast<TimedPage*>(program.window()->page(MainWindow::kTimedTab));
    ASSERT_EQ(timed->programmeList()->model()->rowCount(), 1);

    ProgrammeTable winter;
    winter.append(makeProgramme(QStringLiteral("冬季早操"), {{8, 30, 0}}));
    winter.append(makeProgramme(QStringLiteral("冬季眼保健操"), {{10, 0, 0}}));
    const QString archive = archives.file(QStringLiteral("winter.zip"));
    ASSERT_TRUE(writeTimetableBackup(archive, winter, HolidayCalendar(), message));
    QSignalSpy reloaded(&program, &Program::timetableReloaded);
    ASSERT_TRUE(program.timetableSwitch().restore(archive, message)) << message.toStdString();
    EXPECT_EQ(reloaded.count(), 1);
    ASSERT_EQ(timed->programmeList()->model()->rowCount(), 2);
    EXPECT_EQ(timed->programmeList()->model()->index(1, 0).data().toString(),
              QStringLiteral("冬季眼保健操"));
    program.shutdown(false);
    EXPECT_TRUE(messages.shown.isEmpty()) << messages.last().toStdString();
}
