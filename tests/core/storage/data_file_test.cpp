#include <gtest/gtest.h>
#include <sys/stat.h>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "core/storage/data_file.h"
#include "helpers/temp_folder.h"

namespace {

const QString kName = QStringLiteral("样本t");
// A count and at most 16 values.
constexpr qint64 kMaxSampleBytes = 4 + 16 * 4 + kDigestBytes;

// A small format for the tests: a count, then that many 4-byte values of at most 100.
bool saveSample(const QString& folder, const QList<qint32>& values, QString& message,
                bool rescue = true) {
    DataFileWriter writer(folder, kName, MidWriteWording::Timetable, rescue);
    if (!writer.open(message)) {
        return false;
    }
    const qint32 count = static_cast<qint32>(values.size());
    writer.write(QByteArray(reinterpret_cast<const char*>(&count), 4));
    for (qint32 v : values) {
        writer.write(QByteArray(reinterpret_cast<const char*>(&v), 4));
    }
    return writer.finish(message);
}

bool loadSample(const QString& folder, QList<qint32>& values, QString& message,
                DataFileReader::LongerFiles longer = DataFileReader::LongerFiles::Rejected) {
    values.clear();
    DataFileReader reader(folder, kName, kMaxSampleBytes, longer);
    switch (reader.open(message)) {
        case DataFileReader::Opened::Absent:
            return true;
        case DataFileReader::Opened::Failed:
            return false;
        case DataFileReader::Opened::Open:
            break;
    }
    QByteArray block;
    qint32 count = 0;
    if (reader.read(block, 4)) {
        memcpy(&count, block.constData(), 4);
        if (count < 0 || count > 16) {
            reader.reject();
        }
    }
    for (qint32 i = 0; i < count && reader.read(block, 4); ++i) {
        qint32 v = 0;
        memcpy(&v, block.constData(), 4);
        if (v > 100) {
            reader.reject();
        }
        values.append(v);
    }
    if (!reader.finish(message)) {
        values.clear();
        return false;
    }
    return true;
}

QString contentError(const QString& path) {
    return QStringLiteral("读文件失败：\n%1\n\n文件内容有错误").arg(path);
}

}  // namespace

TEST(DataFile, WritesBlocksThenTheirDigestAndReadsThemBack) {
    TempFolder dir;
    const QString folder = dir.file(QStringLiteral("data"));
    QString message;
    ASSERT_TRUE(saveSample(folder, {1, 2, 3}, message)) << message.toStdString();
    const QByteArray bytes = readBytes(folder + u'/' + kName);
    ASSERT_EQ(bytes.size(), 16 + 16);
    EXPECT_EQ(bytes.right(16), QCryptographicHash::hash(bytes.left(16), QCryptographicHash::Md5));
    QList<qint32> values;
    ASSERT_TRUE(loadSample(folder, values, message));
    EXPECT_EQ(values, (QList<qint32>{1, 2, 3}));
    // No temporary file stays behind.
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden).size(), 1);
}

TEST(DataFile, MissingFileIsNotAnError) {
    TempFolder dir;
    QList<qint32> values{9};
    QString message;
    EXPECT_TRUE(loadSample(dir.path(), values, message));
    EXPECT_TRUE(values.isEmpty());
    EXPECT_TRUE(message.isEmpty());
}

TEST(DataFile, EveryFlippedByteAndEveryCutIsRejected) {
    TempFolder dir;
    QString message;
    ASSERT_TRUE(saveSample(dir.path(), {5, 6}, message));
    const QString path = dir.file(kName);
    const QByteArray good = readBytes(path);
    QList<qint32> values;
    for (qsizetype offset = 0; offset < good.size(); ++offset) {
        QByteArray bad = good;
        bad[offset] = static_cast<char>(bad[offset] ^ 0x01);
        writeBytes(path, bad);
        EXPECT_FALSE(loadSample(dir.path(), values, message)) << "offset " << offset;
        EXPECT_EQ(message, contentError(path));
        EXPECT_TRUE(values.isEmpty());
    }
    for (qsizetype length = 0; length < good.size(); ++length) {
        writeBytes(path, good.left(length));
        EXPECT_FALSE(loadSample(dir.path(), values, message)) << "length " << length;
        EXPECT_EQ(message, contentError(path));
    }
    writeBytes(path, good);
    EXPECT_TRUE(loadSample(dir.path(), values, message));
}

TEST(DataFile, RejectedFileIsKeptAsDamagedCopyUntouchedByTheNextSave) {
    TempFolder dir;
    QString message;
    ASSERT_TRUE(saveSample(dir.path(), {7}, message));
    const QString path = dir.file(kName);
    QByteArray bad = readBytes(path);
    bad[4] = 101;  // fails the field check
    writeBytes(path, bad);
    QList<qint32> values;
    EXPECT_FALSE(loadSample(dir.path(), values, message));
    ASSERT_TRUE(saveSample(dir.path(), {}, message));
    EXPECT_EQ(readBytes(path + QStringLiteral(".damaged")), bad);
    EXPECT_EQ(readBytes(path).size(), 20);
}

TEST(DataFile, ReadOnlyFileIsOverwritten) {
    TempFolder dir;
    QString message;
    ASSERT_TRUE(saveSample(dir.path(), {1}, message));
    const QString path = dir.file(kName);
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0444), 0);
    ASSERT_TRUE(saveSample(dir.path(), {1, 2}, message)) << message.toStdString();
    QList<qint32> values;
    ASSERT_TRUE(loadSample(dir.path(), values, message));
    EXPECT_EQ(values.size(), 2);
}

TEST(DataFile, FolderInTheWayIsRemovedOnWriteAndReadsAsAbsent) {
    TempFolder dir;
    const QString path = dir.file(kName);
    ASSERT_TRUE(QDir().mkpath(path + QStringLiteral("/inner/deeper")));
    writeBytes(path + QStringLiteral("/inner/file.txt"), "x");
    QList<qint32> values{1};
    QString message;
    EXPECT_TRUE(loadSample(dir.path(), values, message));
    EXPECT_TRUE(message.isEmpty());
    EXPECT_TRUE(values.isEmpty());
    ASSERT_TRUE(saveSample(dir.path(), {4}, message)) << message.toStdString();
    EXPECT_TRUE(QFileInfo(path).isFile());
    ASSERT_TRUE(loadSample(dir.path(), values, message));
    EXPECT_EQ(values, QList<qint32>{4});
}

TEST(DataFile, FailedOpenReportsTheWriteMessage) {
    TempFolder dir;
    // The data folder cannot be made where a path component is a plain file that is not ours
    // to replace: the folder above it.
    writeBytes(dir.file(QStringLiteral("blocker")), "x");
    const QString folder = dir.file(QStringLiteral("blocker/data"));
    QString message;
    EXPECT_FALSE(saveSample(folder, {1}, message));
    EXPECT_TRUE(message.startsWith(QStringLiteral("写文件失败：\n") + folder + u'/' + kName))
        << message.toStdString();
    EXPECT_TRUE(message.endsWith(QStringLiteral("\n\n技术支持 - 帮助栏里有联系方式")));
}

TEST(DataFile, FullDiskKeepsThePreviousFileAndShowsTheMidWriteMessage) {
    if (!runningAsRoot()) {
        GTEST_SKIP() << "mounting a small tmpfs needs root";
    }
    TempFolder dir;
    const QString mount = dir.file(QStringLiteral("small"));
    QDir().mkpath(mount);
    if (runShell(QStringLiteral("mount -t tmpfs -o size=64k tmpfs '%1' 2>/dev/null").arg(mount)) !=
        0) {
        GTEST_SKIP() << "tmpfs cannot be mounted here";
    }
    QString message;
    ASSERT_TRUE(saveSample(mount, {1, 2}, message));
    const QByteArray before = readBytes(mount + u'/' + kName);
    // Fill the disk, leaving too little room for the new copy.
    runShell(
        QStringLiteral("dd if=/dev/zero of='%1/filler' bs=1k count=64 2>/dev/null").arg(mount));
    QList<qint32> many;
    for (int i = 0; i < 16; ++i) {
        many.append(i);
    }
    const bool saved = saveSample(mount, many, message, true);
    const QByteArray after = readBytes(mount + u'/' + kName);
    const QStringList hidden = QDir(mount).entryList(QDir::Files | QDir::Hidden);
    QString supportMessage;
    {
        DataFileWriter writer(mount, kName, MidWriteWording::Support, true);
        if (writer.open(supportMessage)) {
            writer.write(QByteArray(8192, 'x'));
            writer.finish(supportMessage);
        }
    }
    runShell(QStringLiteral("umount '%1'").arg(mount));
    EXPECT_FALSE(saved);
    EXPECT_EQ(after, before);
    const QString path = mount + u'/' + kName;
    EXPECT_TRUE(
        message.startsWith(QStringLiteral("写文件中途出错：\n") + path + QStringLiteral("\n\n")))
        << message.toStdString();
    EXPECT_TRUE(message.endsWith(kRescueText));
    EXPECT_EQ(hidden.size(), 2) << "the temporary file is removed";
    EXPECT_TRUE(supportMessage.endsWith(QStringLiteral("\n\n技术支持 - 帮助栏里有联系方式")))
        << supportMessage.toStdString();
    EXPECT_FALSE(supportMessage.contains(QStringLiteral("拯救数据")));
}

TEST(DataFile, OnlyARegularFileWithinTheFormatsSizeIsRead) {
    HangGuard guard(30);
    TempFolder dir;
    const QString path = dir.file(kName);
    QString message;
    ASSERT_TRUE(saveSample(dir.path(), {1, 2}, message));
    const QByteArray good = readBytes(path);
    const auto rejected = [&](const char* what) {
        QList<qint32> values{9};
        const bool loaded = loadSample(dir.path(), values, message);
        EXPECT_FALSE(loaded) << what;
        EXPECT_EQ(message, contentError(path)) << what;
        EXPECT_TRUE(values.isEmpty()) << what;
        EXPECT_FALSE(QFileInfo::exists(path + QStringLiteral(".damaged"))) << what;
        QFile::remove(path);
    };
    QFile::remove(path);
    ASSERT_TRUE(makeFifo(path));
    rejected("a FIFO");
    ASSERT_TRUE(makeLink(QStringLiteral("/dev/zero"), path));
    rejected("a link to an endless device");
    // 2 GB that take no room: the reader must neither read them nor copy them.
    QFile sparse(path);
    ASSERT_TRUE(sparse.open(QIODevice::WriteOnly));
    ASSERT_TRUE(sparse.resize(qint64{2} << 30));
    sparse.close();
    rejected("a 2 GB file");
    // One byte over the largest valid file, its start still a valid file.
    writeBytes(path, good + QByteArray(kMaxSampleBytes + 1 - good.size(), '\0'));
    rejected("one byte too many");
    // Exactly the largest size is read (and its trailing bytes ignored, as always).
    writeBytes(path, good + QByteArray(kMaxSampleBytes - good.size(), '\0'));
    QList<qint32> values;
    EXPECT_TRUE(loadSample(dir.path(), values, message)) << message.toStdString();
    EXPECT_EQ(values, (QList<qint32>{1, 2}));
}

TEST(DataFile, DamagedCopyIsOfTheFileThatWasRead) {
    TempFolder dir;
    const QString path = dir.file(kName);
    QString message;
    ASSERT_TRUE(saveSample(dir.path(), {3}, message));
    QByteArray bad = readBytes(path);
    bad[bad.size() - 1] = static_cast<char>(bad[bad.size() - 1] ^ 0x40);
    // Reached through a link: the copy is of the content, beside the name that was read.
    const QString elsewhere = dir.file(QStringLiteral("elsewhere"));
    writeBytes(elsewhere, bad);
    QFile::remove(path);
    ASSERT_TRUE(makeLink(elsewhere, path));
    QList<qint32> values;
    EXPECT_FALSE(loadSample(dir.path(), values, message));
    EXPECT_EQ(readBytes(path + QStringLiteral(".damaged")), bad);
    EXPECT_FALSE(QFileInfo(path + QStringLiteral(".damaged")).isSymLink());
}

TEST(DataFile, WhatStandsAtTheTemporaryNeverBlocksASave) {
    HangGuard guard(30);
    TempFolder dir;
    const QString temporary = dir.file(QStringLiteral(".") + kName + QStringLiteral(".saving"));
    ASSERT_TRUE(makeFifo(temporary));
    QString message;
    ASSERT_TRUE(saveSample(dir.path(), {4}, message)) << message.toStdString();
    QList<qint32> values;
    ASSERT_TRUE(loadSample(dir.path(), values, message));
    EXPECT_EQ(values, QList<qint32>{4});
    // A link there is replaced, never followed.
    const QString victim = dir.file(QStringLiteral("victim"));
    writeBytes(victim, "keep");
    ASSERT_TRUE(makeLink(victim, temporary));
    ASSERT_TRUE(saveSample(dir.path(), {5}, message)) << message.toStdString();
    EXPECT_EQ(readBytes(victim), QByteArray("keep"));
    EXPECT_FALSE(QFileInfo::exists(temporary));
}

TEST(DataFile, TemporariesOfInterruptedSavesAreRemoved) {
    TempFolder dir;
    const QString saving = dir.file(QStringLiteral(".定时播设置t.saving"));
    writeBytes(saving, "half a timetable");
    ASSERT_TRUE(makeFifo(dir.file(QStringLiteral(".节假日和调休t.saving"))));
    QDir().mkpath(dir.file(QStringLiteral(".系统设置t.saving/inner")));
    for (const char* kept : {"定时播设置t", "notes.saving", ".saving", ".hidden"}) {
        writeBytes(dir.file(QString::fromUtf8(kept)), "x");
    }
    removeInterruptedSaves(dir.path());
    QStringList left =
        QDir(dir.path())
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    left.sort();
    EXPECT_EQ(left, (QStringList{QStringLiteral(".hidden"), QStringLiteral(".saving"),
                                 QStringLiteral("notes.saving"), QStringLiteral("定时播设置t")}));
    removeInterruptedSaves(dir.file(QStringLiteral("missing")));  // nothing to do, no failure
}

TEST(DataFile, AFormatThatIgnoresExtraBytesReadsOnlyItsOwnAndCopiesNoLargeFile) {
    TempFolder dir;
    const QString path = dir.file(kName);
    QString message;
    ASSERT_TRUE(saveSample(dir.path(), {6}, message));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.resize(qint64{2} << 30));
    file.close();
    const auto ignored = DataFileReader::LongerFiles::ExtraBytesIgnored;
    QList<qint32> values;
    EXPECT_TRUE(loadSample(dir.path(), values, message, ignored)) << message.toStdString();
    EXPECT_EQ(values, QList<qint32>{6});
    // Damaged as well: rejected, and too large to be copied.
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    file.write("\x07", 1);
    file.close();
    EXPECT_FALSE(loadSample(dir.path(), values, message, ignored));
    EXPECT_EQ(message, contentError(path));
    EXPECT_FALSE(QFileInfo::exists(path + QStringLiteral(".damaged")));
}
