#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QDir>
#include <QFile>

#include "helpers/temp_folder.h"
#include "platform/single_instance.h"

namespace {

bool isOwnPrivateFolder(const QString& path) {
    struct stat info {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 && S_ISDIR(info.st_mode) &&
           info.st_uid == ::getuid() && (info.st_mode & 077) == 0;
}

}  // namespace

TEST(SingleInstance, WithoutARuntimeFolderTheLockLivesInAFolderOnlyThisUserOwns) {
    TempFolder tmp;
    qunsetenv("XDG_RUNTIME_DIR");
    qputenv("TMPDIR", QFile::encodeName(tmp.path()));
    qputenv("XDG_CACHE_HOME", QFile::encodeName(tmp.file(QStringLiteral("cache"))));
    const QString ours = tmp.file(QStringLiteral("kelvora-broadcasting-%1").arg(::getuid()));
    const QString cache = tmp.file(QStringLiteral("cache/kelvora-broadcasting"));
    // What another user (or a mistake) may have put at the names a program could predict.
    struct Case {
        const char* planted;
        QString shell;  // makes it; empty for nothing
        QString expected;
    };
    std::vector<Case> cases = {
        {"nothing", QString(), ours},
        {"a folder open to all", QStringLiteral("mkdir -m 777 '%1'").arg(ours), cache},
        {"a link to a folder",
         QStringLiteral("mkdir -m 700 '%1.real' && ln -s '%1.real' '%1'").arg(ours), cache},
    };
    if (runningAsRoot()) {
        cases.push_back({"another user's folder",
                         QStringLiteral("mkdir -m 700 '%1' && chown 65534 '%1'").arg(ours), cache});
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.planted);
        runShell(QStringLiteral("rm -rf '%1' '%1.real' '%2'").arg(ours, cache));
        // The name the lock once had in the shared folder, taken by someone else.
        writeBytes(tmp.file(QStringLiteral("KelvoraBroadcastingMutex-%1.lock").arg(::getuid())),
                   QByteArray());
        if (!c.shell.isEmpty()) {
            ASSERT_EQ(runShell(c.shell), 0);
        }
        const QString folder = SingleInstance::defaultFolder();
        EXPECT_EQ(folder, c.expected);
        EXPECT_TRUE(isOwnPrivateFolder(folder));
        SingleInstance first(folder);
        EXPECT_TRUE(first.acquire());
        SingleInstance second(folder);
        EXPECT_FALSE(second.acquire()) << "the first copy holds the lock";
    }
}
