#include <gtest/gtest.h>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <csignal>

#include "helpers/program_runner.h"
#include "helpers/temp_folder.h"

TEST(ProgramProcess, StartLogsAndSigintLogsTheExit) {
    ProgramRunner program;
    ASSERT_TRUE(program.start({QStringLiteral("--headless")}));
    ASSERT_TRUE(program.waitForOutput(QStringLiteral("软件启动"), 10000))
        << program.output().toStdString();
    EXPECT_TRUE(QFileInfo(program.dataFolder()).isDir());
    const QStringList lines = program.logLines();
    ASSERT_EQ(lines.size(), 1);
    EXPECT_TRUE(
        QRegularExpression(QStringLiteral("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d   软件启动$"))
            .match(lines[0])
            .hasMatch())
        << lines[0].toStdString();
    EXPECT_EQ(program.stop(SIGINT), 0);
    const QStringList after = program.logLines();
    ASSERT_EQ(after.size(), 2);
    EXPECT_TRUE(after[1].endsWith(QStringLiteral("   软件关闭")));
}

TEST(ProgramProcess, SessionEndLeavesNoLogLine) {
    ProgramRunner program;
    ASSERT_TRUE(program.start({QStringLiteral("--headless")}));
    ASSERT_TRUE(program.waitForOutput(QStringLiteral("软件启动"), 10000));
    EXPECT_EQ(program.stop(SIGTERM), 0);
    EXPECT_EQ(program.logLines().size(), 1);
}

TEST(ProgramProcess, SecondCopyAsksTheFirstAndEndsWithoutTouchingTheData) {
    ProgramRunner first;
    ASSERT_TRUE(first.start({QStringLiteral("--headless")}));
    ASSERT_TRUE(first.waitForOutput(QStringLiteral("软件启动"), 10000));
    const QByteArray logBefore = readBytes(first.logPath());

    // The second copy has its own, empty data folder: it must not even create it.
    QTemporaryDir otherData;
    QProcess second;
    QProcessEnvironment env = first.environment();
    env.insert(QStringLiteral("XDG_DATA_HOME"), otherData.path());
    second.setProcessEnvironment(env);
    QElapsedTimer timer;
    timer.start();
    second.start(QStringLiteral(KB_PROGRAM_PATH), {QStringLiteral("--headless")});
    ASSERT_TRUE(second.waitForFinished(5000));
    EXPECT_LT(timer.elapsed(), 2000);
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_TRUE(QString::fromUtf8(second.readAllStandardError())
                    .contains(QStringLiteral("软件已在运行，不要重复打开")));
    EXPECT_TRUE(QDir(otherData.path()).isEmpty());
    ASSERT_TRUE(first.waitForError(QStringLiteral("收到另一副本的请求"), 5000));
    EXPECT_EQ(first.state(), QProcess::Running);
    EXPECT_EQ(readBytes(first.logPath()), logBefore);
    EXPECT_EQ(first.stop(SIGINT), 0);
}

TEST(ProgramProcess, DataFilesThatAreNoFilesAreRejectedAndStartUpGoesOn) {
    ProgramRunner program;
    const QString data = program.dataFolder();
    ASSERT_TRUE(QDir().mkpath(data));
    const QString programmes = data + QStringLiteral("/定时播设置t");
    const QString holidays = data + QStringLiteral("/节假日和调休t");
    const QString settings = data + QStringLiteral("/系统设置t");
    ASSERT_TRUE(makeFifo(programmes));
    ASSERT_TRUE(makeLink(QStringLiteral("/dev/zero"), holidays));
    QFile sparse(settings);
    ASSERT_TRUE(sparse.open(QIODevice::WriteOnly));
    ASSERT_TRUE(sparse.resize(qint64{2} << 30));
    sparse.close();
    writeBytes(data + QStringLiteral("/.定时播设置t.saving"), "interrupted");

    ASSERT_TRUE(program.start({QStringLiteral("--headless")}));
    ASSERT_TRUE(program.waitForOutput(QStringLiteral("软件启动"), 20000))
        << program.errors().toStdString();
    for (const QString& path : {programmes, holidays, settings}) {
        EXPECT_TRUE(program.waitForError(
            QStringLiteral("读文件失败：\n%1\n\n文件内容有错误").arg(path), 10000))
            << program.errors().toStdString();
    }
    EXPECT_EQ(program.stop(SIGINT), 0);
    EXPECT_TRUE(program.logLines().last().endsWith(QStringLiteral("   软件关闭")));
    // Nothing was copied, and the interrupted save is gone.
    QStringList left =
        QDir(data).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    left.sort();
    QStringList expected{QStringLiteral("定时播日志t.txt"), QStringLiteral("定时播设置t"),
                         QStringLiteral("节假日和调休t"), QStringLiteral("系统设置t")};
    expected.sort();
    EXPECT_EQ(left, expected);
}
