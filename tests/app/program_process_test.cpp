#include <gtest/gtest.h>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <csignal>

#include "support/program_runner.h"
#include "support/temp_folder.h"

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
