#include <gtest/gtest.h>
#include <sys/stat.h>
#include <QDir>
#include <QFileInfo>

#include "support/temp_folder.h"
#include "support/test_environment.h"
#include "timed/play_log.h"

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
    EXPECT_EQ(decodePlayLog(bytes), QStringLiteral("2026-03-02 07:55:00   早操(手动) ◆ 开始播放\r\n"));
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

    writeBytes(log, line + QByteArray(2'097'150 - 2, 'a'));
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
    EXPECT_TRUE(
        decodePlayLog(readBytes(log)).endsWith(QStringLiteral("   a\r\n2026-03-02 07:55:00   b\r\n")));
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
    EXPECT_TRUE(rows[1].endsWith(
        impossible + QStringLiteral("/定时播日志t.txt ◆ 技术支持:帮助栏里有联系方式")))
        << rows[1].toStdString();
}
