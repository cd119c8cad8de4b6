#include <gtest/gtest.h>
#include <QDir>
#include <algorithm>
#include <random>

#include "core/support/collation.h"
#include "core/support/music_files.h"
#include "helpers/temp_folder.h"

namespace {

QStringList namesOf(const QStringList& paths) {
    QStringList result;
    for (const QString& p : paths) {
        result.append(p.mid(p.lastIndexOf(u'/') + 1));
    }
    result.sort();
    return result;
}

}  // namespace

TEST(MusicFiles, ExtensionsAreTheLastDotOfTheNameIgnoringCase) {
    EXPECT_TRUE(isPlayableExtension(QStringLiteral("A.MP3")));
    EXPECT_TRUE(isPlayableExtension(QStringLiteral("b.Flac")));
    EXPECT_TRUE(isPlayableExtension(QStringLiteral("song.backup.wv")));
    EXPECT_TRUE(isPlayableExtension(QStringLiteral(".ogg")));
    EXPECT_FALSE(isPlayableExtension(QStringLiteral("c.mid")));
    EXPECT_FALSE(isPlayableExtension(QStringLiteral("d")));
    EXPECT_FALSE(isPlayableExtension(QStringLiteral("/music.mp3/readme")));
    EXPECT_FALSE(isPlayableExtension(QStringLiteral("e.mp3.txt")));
    EXPECT_EQ(PlayableExtensions.size(), 16);
}

TEST(MusicFiles, ListingKeepsPlayableFilesOnlyUpToTheCap) {
    TempFolder dir;
    for (const char* name : {"A.MP3", "b.Flac", "c.mid", "d"}) {
        writeBytes(dir.file(QString::fromUtf8(name)), "x");
    }
    QDir().mkpath(dir.file(QStringLiteral("e.wav")));
    QDir().mkpath(dir.file(QStringLiteral("sub")));
    writeBytes(dir.file(QStringLiteral("sub/f.mp3")), "x");
    EXPECT_EQ(namesOf(listPlayableFiles(dir.path())),
              (QStringList{QStringLiteral("A.MP3"), QStringLiteral("b.Flac")}));
    EXPECT_EQ(listPlayableFiles(dir.path(), 1).size(), 1);
    EXPECT_TRUE(listPlayableFiles(dir.file(QStringLiteral("missing"))).isEmpty());
    EXPECT_TRUE(listPlayableFiles(dir.path()).first().startsWith(dir.path() + u'/'));
}

TEST(MusicFiles, PathChecksAndTheirMessages) {
    TempFolder dir;
    writeBytes(dir.file(QStringLiteral("a.mp3")), "x");
    QString message;
    EXPECT_TRUE(validateMusicPath(dir.file(QStringLiteral("a.mp3")), QStringLiteral("音乐文件"),
                                  false, message));
    EXPECT_TRUE(validateMusicPath(dir.path(), QStringLiteral("音乐文件夹"), true, message));
    EXPECT_FALSE(validateMusicPath(QStringLiteral("\\\\server\\music\\a.mp3"),
                                   QStringLiteral("音乐文件"), false, message));
    EXPECT_EQ(message, QStringLiteral("音乐文件路径无效"));
    EXPECT_FALSE(validateMusicPath(QStringLiteral("//server/music"), QStringLiteral("音乐文件夹"),
                                   true, message));
    EXPECT_EQ(message, QStringLiteral("音乐文件夹路径无效"));
    EXPECT_FALSE(validateMusicPath(dir.path(), QStringLiteral("音乐文件"), false, message));
    EXPECT_EQ(message, QStringLiteral("音乐文件不存在"));
    EXPECT_FALSE(validateMusicPath(dir.file(QStringLiteral("a.mp3")), QStringLiteral("音乐文件夹"),
                                   true, message));
    EXPECT_EQ(message, QStringLiteral("音乐文件夹不存在"));
    EXPECT_FALSE(validateMusicPath(QStringLiteral("/"), QStringLiteral("音乐文件"), true, message));
    EXPECT_EQ(message, QStringLiteral("音乐文件不存在"));
    EXPECT_FALSE(validateMusicPath(QString(), QStringLiteral("音乐文件"), false, message));
    EXPECT_EQ(message, QStringLiteral("音乐文件不存在"));
}

TEST(MusicFiles, NetworkMountsAreFoundByTheLongestMountPoint) {
    const QByteArray mountInfo =
        "22 1 8:1 / / rw,relatime - ext4 /dev/sda1 rw\n"
        "40 22 0:50 / /mnt/share rw - nfs4 server:/export rw\n"
        "41 40 0:51 / /mnt/share/local rw - tmpfs tmpfs rw\n"
        "42 22 0:52 / /media/sound\\040room rw - fuse.sshfs pc:/music rw\n"
        "43 22 0:53 / /mnt/usb rw - fuseblk /dev/sdb1 rw\n";
    EXPECT_EQ(networkMountIn(QStringLiteral("/mnt/share/bells/a.mp3"), mountInfo),
              QStringLiteral("/mnt/share"));
    EXPECT_EQ(networkMountIn(QStringLiteral("/mnt/share"), mountInfo),
              QStringLiteral("/mnt/share"));
    EXPECT_EQ(networkMountIn(QStringLiteral("/mnt/share/local/a.mp3"), mountInfo), QString());
    EXPECT_EQ(networkMountIn(QStringLiteral("/mnt/shared/a.mp3"), mountInfo), QString());
    EXPECT_EQ(networkMountIn(QStringLiteral("/media/sound room/x.wav"), mountInfo),
              QStringLiteral("/media/sound room"));
    EXPECT_EQ(networkMountIn(QStringLiteral("/mnt/usb/x.wav"), mountInfo), QString());
    EXPECT_EQ(networkMountIn(QStringLiteral("/home/x.wav"), mountInfo), QString());
}

TEST(MusicFiles, OnlyRegularFilesAreListedOrPassTheCheck) {
    HangGuard guard(30);
    TempFolder dir;
    writeBytes(dir.file(QStringLiteral("good.wav")), "x");
    writeBytes(dir.file(QStringLiteral("target.bin")), "x");
    ASSERT_TRUE(makeFifo(dir.file(QStringLiteral("pipe.mp3"))));
    ASSERT_TRUE(makeLink(QStringLiteral("/dev/zero"), dir.file(QStringLiteral("z.wav"))));
    ASSERT_TRUE(
        makeLink(dir.file(QStringLiteral("target.bin")), dir.file(QStringLiteral("linked.mp3"))));
    ASSERT_TRUE(
        makeLink(dir.file(QStringLiteral("nowhere")), dir.file(QStringLiteral("dangling.mp3"))));
    ASSERT_TRUE(
        makeLink(dir.file(QStringLiteral("loop.mp3")), dir.file(QStringLiteral("loop.mp3"))));
    EXPECT_EQ(namesOf(listPlayableFiles(dir.path())),
              (QStringList{QStringLiteral("good.wav"), QStringLiteral("linked.mp3")}));
    QString message;
    for (const char* name : {"pipe.mp3", "z.wav", "dangling.mp3", "loop.mp3"}) {
        EXPECT_FALSE(validateMusicPath(dir.file(QString::fromUtf8(name)),
                                       QStringLiteral("音乐文件"), false, message))
            << name;
        EXPECT_EQ(message, QStringLiteral("音乐文件不存在")) << name;
    }
    EXPECT_TRUE(validateMusicPath(dir.file(QStringLiteral("linked.mp3")),
                                  QStringLiteral("音乐文件"), false, message));
    EXPECT_FALSE(validateMusicPath(QStringLiteral("/dev/zero"), QStringLiteral("音乐文件夹"), true,
                                   message));
    EXPECT_EQ(message, QStringLiteral("音乐文件夹不存在"));
}

TEST(MusicFiles, ALargeFolderGivesItsFirstNamesInNameOrder) {
    TempFolder dir;
    std::mt19937 random(7);
    QStringList all;
    // 2,000 namesOf made in a shuffled order, in mixed case and scripts.
    for (int i = 0; i < 2000; ++i) {
        const int n = static_cast<int>(random() % 100000);
        QString name = (i % 3 == 0   ? QStringLiteral("Track %1.mp3")
                        : i % 3 == 1 ? QStringLiteral("track %1.WAV")
                                     : QStringLiteral("铃声 %1.ogg"))
                           .arg(n, 5, 10, QLatin1Char('0'));
        if (all.contains(name)) {
            continue;
        }
        all.append(name);
        writeBytes(dir.file(name), "x");
    }
    const QCollator collator = nameCollator();
    std::sort(all.begin(), all.end(),
              [&](const QString& a, const QString& b) { return collator.compare(a, b) < 0; });
    const QStringList listed = listPlayableFiles(dir.path(), 300);
    ASSERT_EQ(listed.size(), 300);
    QStringList listedNames;
    for (const QString& path : listed) {
        listedNames.append(path.mid(path.lastIndexOf(u'/') + 1));
    }
    EXPECT_EQ(listedNames, all.mid(0, 300));
    EXPECT_EQ(listedNames.first(), all.first());
    EXPECT_EQ(listPlayableFiles(dir.path()).size(), all.size());
}

TEST(MusicFiles, ANameThatIsNotUtf8IsListedAndReportedAsSuch) {
    TempFolder dir;
    // "铃声.mp3" in GBK, as an old Windows USB stick holds it.
    const QString path = writeRawNamed(dir.path(), "\xc1\xe5\xc9\xf9.mp3", "x");
    EXPECT_TRUE(path.contains(QChar::ReplacementCharacter));
    EXPECT_EQ(listPlayableFiles(dir.path()), QStringList{path});
    EXPECT_TRUE(hasUndecodableName(path));
    QString message;
    EXPECT_FALSE(validateMusicPath(path, QStringLiteral("音乐文件"), false, message));
    EXPECT_EQ(message, QStringLiteral("音乐文件名称不是有效的UTF-8编码, 请改名"));
    // A real replacement character in a name is a valid name.
    const QString odd = dir.file(QStringLiteral("odd\uFFFD.mp3"));
    writeBytes(odd, "x");
    EXPECT_FALSE(hasUndecodableName(odd));
    EXPECT_TRUE(validateMusicPath(odd, QStringLiteral("音乐文件"), false, message));
}
