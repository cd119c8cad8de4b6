#include <gtest/gtest.h>
#include <sys/resource.h>
#include <QCryptographicHash>
#include <QFileInfo>
#include <QtEndian>
#include <csignal>

#include "core/immediate/immediate_file.h"
#include "core/immediate/immediate_store.h"
#include "core/immediate/playlist_model.h"
#include "helpers/temp_folder.h"

namespace {

QByteArray le32(qint32 v) {
    const qint32 le = qToLittleEndian(v);
    return QByteArray(reinterpret_cast<const char*>(&le), 4);
}

QByteArray utf16Field(const QString& text) {
    QByteArray out(520, '\0');
    for (int i = 0; i < text.size() && i < 260; ++i) {
        const quint16 u = qToLittleEndian(text.at(i).unicode());
        memcpy(out.data() + 2 * i, &u, 2);
    }
    return out;
}

QByteArray entryBytes(const QString& name, const QString& path, const QString& extension,
                      qint32 duration, qint32 current = 0, qint32 played = 0) {
    return utf16Field(name) + utf16Field(path) + utf16Field(extension) + le32(duration) +
           le32(current) + le32(played);
}

// A file as the format describes it, with a correct digest unless told otherwise.
QByteArray fileBytes(qint32 volume, qint32 mode, const QList<QByteArray>& entries,
                     qint32 limitByTracks = 1, qint32 count = -1) {
    QByteArray body =
        le32(volume) + le32(mode) + le32(count >= 0 ? count : static_cast<qint32>(entries.size()));
    for (const QByteArray& e : entries) {
        body += e;
    }
    body += le32(limitByTracks);
    return body + QCryptographicHash::hash(body, QCryptographicHash::Md5);
}

QByteArray flipped(QByteArray bytes, int at) {
    bytes[at] = static_cast<char>(bytes[at] ^ 0xFF);
    return bytes;
}

struct Loaded {
    bool ok;
    QString message;
    ImmediateSettings settings;
};

Loaded load(const TempFolder& folder) {
    Loaded result;
    result.ok = loadImmediateSettings(folder.path(), folder.file(QStringLiteral("music")),
                                      result.settings, result.message);
    return result;
}

}  // namespace

TEST(ImmediateFile, EmptyListIsThirtyTwoBytesAndLoadsWithoutTheDefaultTrack) {
    TempFolder folder;
    ImmediateSettings settings;
    settings.volume = 55;
    settings.playMode = kRandom;
    settings.limitByTracks = 0;
    QString message;
    ASSERT_TRUE(saveImmediateSettings(folder.path(), settings, message));
    const QByteArray bytes = readBytes(folder.file(kImmediateFileName));
    EXPECT_EQ(bytes, fileBytes(55, 2, {}, 0));
    EXPECT_EQ(bytes.size(), 32);
    const Loaded loaded = load(folder);
    ASSERT_TRUE(loaded.ok);
    EXPECT_TRUE(loaded.settings.playlist.empty());
    EXPECT_EQ(loaded.settings.volume, 55);
    EXPECT_EQ(loaded.settings.playMode, kRandom);
    EXPECT_EQ(loaded.settings.limitByTracks, 0);
}

TEST(ImmediateFile, AbsentFileGivesTheShippedTrackShownAsThreeFortyFive) {
    TempFolder folder;
    const Loaded loaded = load(folder);
    ASSERT_TRUE(loaded.ok);
    EXPECT_TRUE(loaded.message.isEmpty());
    ASSERT_EQ(loaded.settings.playlist.size(), 1u);
    const PlaylistEntry& e = loaded.settings.playlist[0];
    EXPECT_EQ(entryFileName(e), QStringLiteral("追梦人.mp3"));
    EXPECT_EQ(entryPath(e), folder.file(QStringLiteral("music/歌曲/追梦人.mp3")));
    EXPECT_EQ(entryExtension(e), QStringLiteral(".mp3"));
    EXPECT_EQ(e.durationMs, 225645);
    EXPECT_EQ(e.isCurrent, 0);
    EXPECT_EQ(loaded.settings.volume, 80);
    EXPECT_EQ(loaded.settings.playMode, 1);
    EXPECT_EQ(loaded.settings.limitByTracks, 1);
    ImmediateSettings settings = loaded.settings;
    PlaylistModel model(settings);
    EXPECT_EQ(model.index(0, 1).data().toString(), QStringLiteral("03:45"));
}

TEST(ImmediateFile, EntriesAreWrittenByteForByteAndTheirNamesComeFromThePath) {
    TempFolder folder;
    ImmediateSettings settings;
    settings.playlist.push_back(makePlaylistEntry(QStringLiteral("/音乐/早操.MP3"), 61000));
    settings.playlist.push_back(makePlaylistEntry(QStringLiteral("/音乐/no extension"), -1));
    settings.playlist[1].isCurrent = 1;
    settings.playlist[0].playedThisRound = 1;
    QString message;
    ASSERT_TRUE(saveImmediateSettings(folder.path(), settings, message));
    const QByteArray expected =
        fileBytes(80, 1,
                  {entryBytes(QStringLiteral("早操.MP3"), QStringLiteral("/音乐/早操.MP3"),
                              QStringLiteral(".MP3"), 61000, 0, 1),
                   entryBytes(QStringLiteral("no extension"), QStringLiteral("/音乐/no extension"),
                              QString(), -1, 1, 0)});
    EXPECT_EQ(readBytes(folder.file(kImmediateFileName)), expected);
    EXPECT_EQ(expected.size(), 32 + 2 * 1572);

    // Stored names that do not match the path are rebuilt; the flags stay as stored.
    writeBytes(folder.file(kImmediateFileName),
               fileBytes(30, 0,
                         {entryBytes(QStringLiteral("wrong.wav"), QStringLiteral("/a/b/Bell.ogg"),
                                     QStringLiteral(".wav"), 0, 7, 3)},
                         -5));
    const Loaded loaded = load(folder);
    ASSERT_TRUE(loaded.ok) << loaded.message.toStdString();
    ASSERT_EQ(loaded.settings.playlist.size(), 1u);
    EXPECT_EQ(entryFileName(loaded.settings.playlist[0]), QStringLiteral("Bell.ogg"));
    EXPECT_EQ(entryExtension(loaded.settings.playlist[0]), QStringLiteral(".ogg"));
    EXPECT_EQ(loaded.settings.playlist[0].isCurrent, 7);
    EXPECT_EQ(loaded.settings.playlist[0].playedThisRound, 3);
    EXPECT_EQ(loaded.settings.limitByTracks, -5) << "any non-zero value means n tracks";
    EXPECT_EQ(loaded.settings.volume, 30);
    EXPECT_EQ(loaded.settings.playMode, kRepeatOne);
}

TEST(ImmediateFile, OutOfRangeFieldsFailTheLoadKeepTheFileAndResetTheSettings) {
    const QByteArray good = entryBytes(QStringLiteral("a.mp3"), QStringLiteral("/m/a.mp3"),
                                       QStringLiteral(".mp3"), 1000);
    const QByteArray twoMinus =
        entryBytes(QStringLiteral("b.mp3"), QStringLiteral("/m/b.mp3"), QStringLiteral(".mp3"), -2);
    const QByteArray tooLong = entryBytes(QStringLiteral("c.mp3"), QStringLiteral("/m/c.mp3"),
                                          QStringLiteral(".mp3"), 360000001);
    QList<QByteArray> full;
    for (int i = 0; i < 300; ++i) {
        full.append(good);
    }
    const struct {
        const char* what;
        QByteArray bytes;
    } cases[] = {
        {"volume 24", fileBytes(24, 1, {good})},
        {"volume 101", fileBytes(101, 1, {good})},
        {"mode 3", fileBytes(50, 3, {good})},
        {"mode -1", fileBytes(50, -1, {good})},
        // The count is refused before any entry is read; the file stays within the largest
        // size of the format, so it is kept. (A file past that size is never copied.)
        {"301 entries", fileBytes(50, 1, full, 1, 301)},
        {"duration -2", fileBytes(50, 1, {good, twoMinus})},
        {"duration over 100 hours", fileBytes(50, 1, {good, tooLong})},
        {"cut short", fileBytes(50, 1, {good}).left(600)},
        {"flipped digest", flipped(fileBytes(50, 1, {good}), 1600)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder folder;
        const QString path = folder.file(kImmediateFileName);
        writeBytes(path, c.bytes);
        const Loaded loaded = load(folder);
        EXPECT_FALSE(loaded.ok);
        EXPECT_EQ(loaded.message, QStringLiteral("读文件失败：\n%1\n\n文件内容有错误").arg(path));
        EXPECT_TRUE(loaded.settings.playlist.empty()) << "no default entry either";
        EXPECT_EQ(loaded.settings.volume, 80);
        EXPECT_EQ(loaded.settings.playMode, 1);
        EXPECT_EQ(loaded.settings.limitByTracks, 1);
        EXPECT_EQ(readBytes(path + QStringLiteral(".damaged")), c.bytes);
    }
}

TEST(ImmediateFile, LoadingLeavesOnlyTheFirstCurrentEntryOrTheFirstEntry) {
    TempFolder folder;
    const auto entry = [](const QString& name, qint32 current) {
        return entryBytes(name, QStringLiteral("/m/") + name, QStringLiteral(".mp3"), 1, current);
    };
    writeBytes(folder.file(kImmediateFileName),
               fileBytes(80, 1,
                         {entry(QStringLiteral("a.mp3"), 0), entry(QStringLiteral("b.mp3"), 1),
                          entry(QStringLiteral("c.mp3"), 1)}));
    ImmediateStore store(folder.path(), folder.path());
    QString message;
    ASSERT_TRUE(store.load(message));
    std::vector<qint32> flags;
    for (const PlaylistEntry& e : store.settings().playlist) {
        flags.push_back(e.isCurrent);
    }
    EXPECT_EQ(flags, (std::vector<qint32>{0, 1, 0}));

    writeBytes(
        folder.file(kImmediateFileName),
        fileBytes(80, 1, {entry(QStringLiteral("a.mp3"), 0), entry(QStringLiteral("b.mp3"), 0)}));
    ASSERT_TRUE(store.load(message));
    EXPECT_EQ(store.settings().playlist[0].isCurrent, 1);
    EXPECT_EQ(store.settings().playlist[1].isCurrent, 0);
}

TEST(ImmediateFile, WriteFailingMidwayKeepsThePreviousFile) {
    TempFolder folder;
    ImmediateStore store(folder.path(), folder.path());
    store.settings().playlist.push_back(makePlaylistEntry(QStringLiteral("/m/old.mp3"), 5));
    ASSERT_TRUE(store.save(true));
    const QByteArray before = readBytes(folder.file(kImmediateFileName));
    for (int i = 0; i < 300; ++i) {
        store.settings().playlist.push_back(makePlaylistEntry(QStringLiteral("/m/new.mp3"), 5));
    }
    // The file may grow to 64 KiB only: the 300-entry list (470 KiB) stops in the middle.
    QString message;
    struct rlimit saved {};
    getrlimit(RLIMIT_FSIZE, &saved);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = 64 * 1024;
    setrlimit(RLIMIT_FSIZE, &small);
    const bool ok = saveImmediateSettings(folder.path(), store.settings(), message);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(ok);
    EXPECT_TRUE(message.startsWith(QStringLiteral("写文件中途出错：\n") +
                                   folder.file(kImmediateFileName) + QStringLiteral("\n\n")))
        << message.toStdString();
    EXPECT_TRUE(message.endsWith(QStringLiteral("\n\n技术支持 - 帮助栏里有联系方式")));
    EXPECT_EQ(readBytes(folder.file(kImmediateFileName)), before);
    EXPECT_EQ(store.settings().playlist.size(), 301u) << "the change stays in memory";
}

TEST(ImmediateFile, AFileLargerThanAnyPlaylistIsRefusedAndNotCopied) {
    TempFolder folder;
    const QString path = folder.file(kImmediateFileName);
    QList<QByteArray> entries;
    for (int i = 0; i < 301; ++i) {
        entries.append(entryBytes(QStringLiteral("a.mp3"), QStringLiteral("/m/a.mp3"),
                                  QStringLiteral(".mp3"), 1000));
    }
    writeBytes(path, fileBytes(50, 1, entries));
    const Loaded loaded = load(folder);
    EXPECT_FALSE(loaded.ok);
    EXPECT_TRUE(loaded.settings.playlist.empty());
    EXPECT_FALSE(QFile::exists(path + QStringLiteral(".damaged")));
}
