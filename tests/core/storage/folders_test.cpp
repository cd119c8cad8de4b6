#include <gtest/gtest.h>
#include <sys/stat.h>
#include <QDir>
#include <QFileInfo>

#include "core/storage/app_paths.h"
#include "core/storage/folders.h"
#include "core/support/access_rights.h"
#include "helpers/temp_folder.h"
#include "helpers/test_environment.h"

TEST(Folders, PlainFileNamedLikeTheDataFolderIsReplacedByAFolder) {
    TempFolder dir;
    const QString data = dir.file(QStringLiteral("KelvoraBroadcasting9"));
    writeBytes(data, "not a folder");
    EXPECT_EQ(ensureDataFolder(data), 0);
    EXPECT_TRUE(QFileInfo(data).isDir());
    EXPECT_EQ(makeFolder(data), 0);  // already there
}

TEST(Folders, MissingFoldersAboveAreCreatedButFilesAboveAreKept) {
    TempFolder dir;
    EXPECT_EQ(ensureDataFolder(dir.file(QStringLiteral("a/b/KelvoraBroadcasting9"))), 0);
    EXPECT_TRUE(QFileInfo(dir.file(QStringLiteral("a/b/KelvoraBroadcasting9"))).isDir());
    writeBytes(dir.file(QStringLiteral("file")), "keep me");
    EXPECT_NE(ensureDataFolder(dir.file(QStringLiteral("file/KelvoraBroadcasting9"))), 0);
    EXPECT_EQ(readBytes(dir.file(QStringLiteral("file"))), QByteArray("keep me"));
}

TEST(Folders, DeleteTreeRemovesLinksWithoutFollowingThem) {
    TempFolder dir;
    const QString outside = dir.file(QStringLiteral("outside"));
    QDir().mkpath(outside);
    writeBytes(outside + QStringLiteral("/precious"), "x");
    const QString tree = dir.file(QStringLiteral("tree"));
    QDir().mkpath(tree + QStringLiteral("/sub"));
    writeBytes(tree + QStringLiteral("/sub/f"), "y");
    ::chmod(QFile::encodeName(tree + QStringLiteral("/sub")).constData(), 0500);
    QFile::link(outside, tree + QStringLiteral("/link"));
    EXPECT_EQ(deleteTree(tree), 0);
    EXPECT_FALSE(QFileInfo::exists(tree));
    EXPECT_TRUE(QFileInfo::exists(outside + QStringLiteral("/precious")));
}

TEST(AccessRights, GrantAddsOwnerBitsOnlyAndNeverWidens) {
    TempFolder dir;
    const QString file = dir.file(QStringLiteral("f"));
    writeBytes(file, "x");
    const QByteArray name = QFile::encodeName(file);
    ::chmod(name.constData(), 0040);
    grantFullAccess(file);
    struct stat info {};
    ::stat(name.constData(), &info);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
    const QString folder = dir.file(QStringLiteral("d"));
    QDir().mkpath(folder);
    ::chmod(QFile::encodeName(folder).constData(), 0000);
    grantFullAccess(folder);
    ::stat(QFile::encodeName(folder).constData(), &info);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    grantFullAccess(dir.file(QStringLiteral("missing")));  // silent
}

TEST(AppPaths, DataFolderFollowsXdgDataHome) {
    const AppPaths paths =
        AppPaths::forFolders(QStringLiteral("/opt/kb"), QStringLiteral("/home/u/.local/share"));
    EXPECT_EQ(paths.musicFolder, QStringLiteral("/opt/kb/music"));
    EXPECT_EQ(paths.dataFolder, QStringLiteral("/home/u/.local/share/KelvoraBroadcasting9"));
    {
        EnvironmentGuard data("XDG_DATA_HOME", "/srv/x");
        EXPECT_EQ(AppPaths::resolve().dataFolder, QStringLiteral("/srv/x/KelvoraBroadcasting9"));
    }
    EnvironmentGuard data("XDG_DATA_HOME", "");
    EnvironmentGuard home("HOME", "/home/caretaker");
    EXPECT_EQ(AppPaths::resolve().dataFolder,
              QStringLiteral("/home/caretaker/.local/share/KelvoraBroadcasting9"));
}

TEST(AppPaths, FilesBesideTheProgramAreFoundInstalledOrInTheBuildFolder) {
    TempFolder build;
    const AppPaths fromBuild = AppPaths::forFolders(build.path(), build.path());
    EXPECT_EQ(fromBuild.resourceFolder, build.path());
    EXPECT_EQ(fromBuild.welcomePage(), build.file(QStringLiteral("welcome.htm")));
    EXPECT_EQ(fromBuild.helpIndex(), build.file(QStringLiteral("help/index.html")));

    // An installed tree, wherever it was put: bin/ and share/kelvora-broadcasting/.
    TempFolder prefix;
    ASSERT_TRUE(QDir().mkpath(prefix.file(QStringLiteral("bin"))));
    const QString share = prefix.file(QStringLiteral("share/kelvora-broadcasting"));
    ASSERT_TRUE(QDir().mkpath(share));
    const AppPaths installed =
        AppPaths::forFolders(prefix.file(QStringLiteral("bin")), prefix.path());
    EXPECT_EQ(installed.exeFolder, prefix.file(QStringLiteral("bin")));
    EXPECT_EQ(installed.resourceFolder, share);
    EXPECT_EQ(installed.musicFolder, share + QStringLiteral("/music"));
    EXPECT_EQ(installed.welcomePage(), share + QStringLiteral("/welcome.htm"));
    EXPECT_EQ(installed.helpIndex(), share + QStringLiteral("/help/index.html"));
}

TEST(AppPaths, ProgramPathIsTheRunningExecutable) {
    const QString path = programExecutablePath();
    EXPECT_EQ(path, QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath());
    EXPECT_EQ(AppPaths::resolve().exeFolder, QFileInfo(path).absolutePath());
}
