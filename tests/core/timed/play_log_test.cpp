#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <csignal>
#include <cstdio>
#include <random>

#include "core/timed/play_log.h"
#include "helpers/temp_folder.h"
#include "helpers/test_environment.h"

namespace {

const LocalDateTime kMorning = makeDateTime(2026, 3, 2, 7, 55, 0);

QStringList shownTexts(PlayLog& log) {
    QStringList texts;
    for (int row = 0; row < log.rows().rowCount(); ++row) {
        texts.append(log.rows().index(row, LogRowsModel::Text).data().toString());
    }
    return texts;
}

}  // namespace

TEST(PlayLog, FirstEventCreatesTheFileWithItsMark) {
    TempFolder dir;
    const QString data = dir.file(QStringLiteral("KelvoraBroadcasting9"));
    QString error;
    ASSERT_TRUE(appendPlayLog(data, kMorning, QStringLiteral("早操(手动) ◆ 开始播放"), error));
    const QByteArray bytes = readBytes(data + QStringLiteral("/定时播日志t.txt"));
    ASSERT_GE(bytes.size(), 2);
    EXPECT_EQ(static_cast<unsigned char>(bytes[0]), 0xFF);
    EXPECT_EQ(static_cast<unsigned char>(bytes[1]), 0xFE);
    EXPECT_EQ(decodePlayLog(bytes),
              QStringLiteral("2026-03-02 07:55:00   早操(手动) ◆ 开始播放\r\n"));
    ASSERT_TRUE(appendPlayLog(data, kMorning, QStringLiteral("软件关闭"), error));
    EXPECT_EQ(decodePlayLog(readBytes(data + QStringLiteral("/定时播日志t.txt"))),
              QStringLiteral("2026-03-02 07:55:00   早操(手动) ◆ 开始播放\r\n"
                             "2026-03-02 07:55:00   软件关闭\r\n"));
}

TEST(PlayLog, SizeLimitAndForeignEncodingsStartAFreshFile) {
    TempFolder dir;
    const QString log = dir.file(QStringLiteral("定时播日志t.txt"));
    const QByteArray line = QByteArray("\xFF\xFE", 2);
    QString error;
    const qsizetype lineBytes = QStringLiteral("2026-03-02 07:55:00   x\r\n").size() * 2;

    writeBytes(log, line + QByteArray(2'097'152 - 2, 'a'));
    ASSERT_TRUE(appendPlayLog(dir.path(), kMorning, QStringLiteral("x"), error));
    EXPECT_EQ(readBytes(log).size(), 2 + lineBytes);

    // Ends with a line end, so nothing is mended before the new line.
    writeBytes(log, line + QByteArray(2'097'150 - 6, 'a') + QByteArray("\r\0\n\0", 4));
    ASSERT_TRUE(appendPlayLog(dir.path(), kMorning, QStringLiteral("x"), error));
    EXPECT_EQ(readBytes(log).size(), 2'097'150 + lineBytes);

    writeBytes(log, QByteArray("2026-03-01 08:00:00   saved as UTF-8\r\n"));
    ASSERT_TRUE(appendPlayLog(dir.path(), kMorning, QStringLiteral("x"), error));
    EXPECT_EQ(decodePlayLog(readBytes(log)), QStringLiteral("2026-03-02 07:55:00   x\r\n"));
}

TEST(PlayLog, FolderNamedLikeTheLogIsRemovedAndReadOnlyLogAppended) {
    TempFolder dir;
    const QString log = dir.file(QStringLiteral("定时播日志t.txt"));
    QDir().mkpath(log + QStringLiteral("/inside"));
    QString error;
    ASSERT_TRUE(appendPlayLog(dir.path(), kMorning, QStringLiteral("a"), error));
    EXPECT_TRUE(QFileInfo(log).isFile());
    ::chmod(QFile::encodeName(log).constData(), 0444);
    ASSERT_TRUE(appendPlayLog(dir.path(), kMorning, QStringLiteral("b"), error));
    EXPECT_TRUE(decodePlayLog(readBytes(log))
                    .endsWith(QStringLiteral("   a\r\n2026-03-02 07:55:00   b\r\n")));
}

TEST(PlayLog, ReportShowsTheRowAndAFailedWriteAsAFurtherRow) {
    TempFolder dir;
    PlayLog good(dir.path());
    good.reportTimedEvent(kMorning, QStringLiteral("软件启动"));
    EXPECT_EQ(shownTexts(good), QStringList{QStringLiteral("软件启动")});
    EXPECT_EQ(good.rows().index(0, LogRowsModel::Time).data().toString(),
              QStringLiteral("2026-03-02 07:55:00"));

    writeBytes(dir.file(QStringLiteral("plain")), "x");
    const QString impossible = dir.file(QStringLiteral("plain/KelvoraBroadcasting9"));
    PlayLog bad(impossible);
    bad.reportTimedEvent(kMorning, QStringLiteral("铃声 ◆ 开始播放"));
    const QStringList rows = shownTexts(bad);
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[0], QStringLiteral("铃声 ◆ 开始播放"));
    EXPECT_TRUE(rows[1].startsWith(QStringLiteral("写日志失败 ◆ ")));
    EXPECT_TRUE(rows[1].endsWith(impossible +
                                 QStringLiteral("/定时播日志t.txt ◆ 技术支持:帮助栏里有联系方式")))
        << rows[1].toStdString();
}

TEST(PlayLog, ALineCutShortGetsItsEndBeforeTheNextLine) {
    TempFolder dir;
    const QString log = dir.file(QStringLiteral("定时播日志t.txt"));
    const QByteArray mark("\xFF\xFE", 2);
    const QByteArray half = QByteArray::fromRawData(
        reinterpret_cast<const char*>(u"2026-03-02 07:54:59   早操"), 2 * 24);
    QString error;
    writeBytes(log, mark + half);
    ASSERT_TRUE(appendPlayLog(dir.path(), kMorning, QStringLiteral("x"), error));
    EXPECT_EQ(decodePlayLog(readBytes(log)),
              QStringLiteral("2026-03-02 07:54:59   早操\r\n2026-03-02 07:55:00   x\r\n"));
    // Cut inside a character: the odd byte is completed, then the line ended.
    writeBytes(log, mark + half + QByteArray(1, 'A'));
    ASSERT_TRUE(appendPlayLog(dir.path(), kMorning, QStringLiteral("x"), error));
    EXPECT_EQ(decodePlayLog(readBytes(log)),
              QStringLiteral("2026-03-02 07:54:59   早操A\r\n2026-03-02 07:55:00   x\r\n"));
    // Only the mark: nothing to mend.
    writeBytes(log, mark);
    ASSERT_TRUE(appendPlayLog(dir.path(), kMorning, QStringLiteral("x"), error));
    EXPECT_EQ(decodePlayLog(readBytes(log)), QStringLiteral("2026-03-02 07:55:00   x\r\n"));
    EXPECT_FALSE(QFileInfo::exists(dir.file(QStringLiteral(".定时播日志t.txt.saving"))));
}

TEST(PlayLog, AFifoOrDeviceAtTheLogsPathIsReportedWithoutBlocking) {
    HangGuard guard(30);
    TempFolder dir;
    const QString log = dir.file(QStringLiteral("定时播日志t.txt"));
    QString error;
    ASSERT_TRUE(makeFifo(log));
    EXPECT_FALSE(appendPlayLog(dir.path(), kMorning, QStringLiteral("x"), error));
    EXPECT_EQ(error, QStringLiteral("写日志失败 ◆ 不是普通文件 ◆ ") + log +
                         QStringLiteral(" ◆ 技术支持:帮助栏里有联系方式"));
    QFile::remove(log);
    ASSERT_TRUE(makeLink(QStringLiteral("/dev/null"), log));
    EXPECT_FALSE(appendPlayLog(dir.path(), kMorning, QStringLiteral("x"), error));
    EXPECT_TRUE(error.startsWith(QStringLiteral("写日志失败 ◆ 不是普通文件 ◆ ")));
}

TEST(PlayLog, KilledWritersLeaveNoJoinedLinesAndTheMarkAlwaysFirst) {
    TempFolder dir;
    const QString log = dir.file(QStringLiteral("定时播日志t.txt"));
    const QRegularExpression wellFormed(
        QStringLiteral("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d   (启动|事件 \\d+)$"));
    const QByteArray lineEnd("\r\0\n\0", 4);
    std::mt19937 random(12);
    int kills = 0;
    int freshStarts = 0;
    int cutLines = 0;
    int cutOffPage = 0;
    int joinedLines = 0;
    int withoutMark = 0;
    for (int round = 0; round < 200; ++round) {
        // Every fourth writer starts on a foreign file, so some kills land in a fresh start.
        if (round % 4 == 0) {
            writeBytes(log, "saved as UTF-8\r\n");
            ++freshStarts;
        }
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            QString error;
            for (int i = 0;; ++i) {
                appendPlayLog(dir.path(), kMorning, QStringLiteral("事件 %1").arg(i), error);
            }
        }
        ::usleep(static_cast<useconds_t>(random() % 3000));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        kills += WIFSIGNALED(status) ? 1 : 0;
        const QByteArray killed = readBytes(log);
        if (!killed.startsWith("saved as UTF-8")) {
            withoutMark += killed.startsWith("\xFF\xFE") ? 0 : 1;
            // A killed writer's one write can still be cut where it crosses a page of the
            // page cache (the kernel copies page by page and stops for a fatal signal between
            // pages): rare, mended by the next line, and never anywhere else.
            if (killed.size() > 2 && !killed.endsWith(lineEnd)) {
                ++cutLines;
                cutOffPage += killed.size() % 4096 == 0 ? 0 : 1;
            }
        }
        // The next start writes its line, which must stand on its own.
        QString error;
        ASSERT_TRUE(appendPlayLog(dir.path(), kMorning, QStringLiteral("启动"), error));
        const QStringList lines = decodePlayLog(readBytes(log)).split(QStringLiteral("\r\n"));
        joinedLines +=
            lines.size() >= 2 && wellFormed.match(lines[lines.size() - 2]).hasMatch() ? 0 : 1;
    }
    const QByteArray bytes = readBytes(log);
    const QStringList lines = decodePlayLog(bytes).split(QStringLiteral("\r\n"));
    int broken = 0;
    for (const QString& line : lines.mid(0, lines.size() - 1)) {
        broken += wellFormed.match(line).hasMatch() ? 0 : 1;
    }
    std::printf(
        "%d kills (%d on a fresh start): %d lines cut (%d not at a page boundary), %d next "
        "lines joined, %d files without FF FE; last file %lld lines, %d broken\n",
        kills, freshStarts, cutLines, cutOffPage, joinedLines, withoutMark,
        static_cast<long long>(lines.size() - 1), broken);
    EXPECT_EQ(kills, 200);
    EXPECT_EQ(cutOffPage, 0);
    EXPECT_EQ(joinedLines, 0);
    EXPECT_EQ(withoutMark, 0);
    EXPECT_LE(broken, cutLines);  // only a mended cut line may stand short
    EXPECT_TRUE(bytes.startsWith("\xFF\xFE"));
}
