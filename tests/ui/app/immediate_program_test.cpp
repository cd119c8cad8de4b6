#include <gtest/gtest.h>
#include <QFileInfo>
#include <csignal>

#include "core/immediate/immediate_file.h"
#include "helpers/program_runner.h"
#include "helpers/temp_folder.h"
#include "helpers/ui_helpers.h"
#include "ui/app/program.h"

TEST(ImmediateProgram, StartUpLoadsThePlaylistSecond) {
    RecordedMessages messages;
    TempFolder folder;
    const AppPaths paths = AppPaths::forFolders(folder.path(), folder.path());
    ImmediateSettings stored;
    stored.volume = 42;
    stored.playMode = kRandom;
    stored.playlist.push_back(makePlaylistEntry(QStringLiteral("/m/a.mp3"), 1000));
    stored.playlist.push_back(makePlaylistEntry(QStringLiteral("/m/b.mp3"), 2000));
    stored.playlist[1].isCurrent = 1;
    QString message;
    ASSERT_TRUE(saveImmediateSettings(paths.dataFolder, stored, message));
    Program program(paths, true);
    ASSERT_TRUE(program.initialise({}));
    EXPECT_EQ(program.playlist().rowCount(), 2);
    EXPECT_EQ(program.playlist().current(), 1);
    EXPECT_EQ(program.immediateStore().settings().volume, 42);
    EXPECT_EQ(program.immediateStore().settings().playMode, kRandom);
    EXPECT_TRUE(messages.shown.isEmpty()) << messages.last().toStdString();
    program.shutdown(false);
}

TEST(ImmediateProgram, DamagedFileIsReportedOnStandardErrorAndKept) {
    ProgramRunner program;
    const QString path = program.dataFolder() + u'/' + kImmediateFileName;
    ImmediateSettings stored;
    QString message;
    ASSERT_TRUE(saveImmediateSettings(program.dataFolder(), stored, message));
    QByteArray bytes = readBytes(path);
    bytes[0] = 24;  // volume 24
    writeBytes(path, bytes);
    ASSERT_TRUE(program.start({QStringLiteral("--headless")}));
    ASSERT_TRUE(program.waitForError(QStringLiteral("文件内容有错误"), 10000))
        << program.errors().toStdString();
    EXPECT_TRUE(
        program.errors().contains(QStringLiteral("读文件失败：\n%1\n\n文件内容有错误").arg(path)))
        << program.errors().toStdString();
    EXPECT_EQ(readBytes(path + QStringLiteral(".damaged")), bytes);
    EXPECT_EQ(program.stop(SIGINT), 0);
}
