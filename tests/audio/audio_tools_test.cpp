#include <gtest/gtest.h>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include "audio/gst_support.h"
#include "audio/output_devices.h"
#include "helpers/program_runner.h"
#include "helpers/sink_recorder.h"
#include "helpers/test_environment.h"
#include "helpers/tone_files.h"

namespace {

ToolResult program(const QStringList& arguments) {
    return runTool(QStringLiteral(KB_PROGRAM_PATH), arguments);
}

class AudioTools : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(soundServerReady());
        ASSERT_TRUE(initAudioEngine());
    }
};

}  // namespace

TEST_F(AudioTools, ListDevicesPrintsTheStoredNamesInOrder) {
    const ToolResult run = program({QStringLiteral("--list-devices")});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, QStringLiteral("KB-Speakers\nKB-Hall\n"));
}

TEST_F(AudioTools, ProbePrintsMillisecondsOrMinusOne) {
    const QString tone = toneFile(QStringLiteral("ogg"), 2.0);
    EXPECT_EQ(program({QStringLiteral("--probe"), tone}).exitCode, 0);
    const ToolResult run =
        program({QStringLiteral("--probe"), tone, QStringLiteral("/no/such.mp3")});
    EXPECT_EQ(run.exitCode, 1) << "an unreadable file fails the command";
    const QStringList lines = run.out.split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2);
    EXPECT_NEAR(lines[0].section(u'\t', 0, 0).toInt(), 2000, 50);
    EXPECT_EQ(lines[0].section(u'\t', 1), tone);
    EXPECT_EQ(lines[1], QStringLiteral("-1\t/no/such.mp3"));
}

TEST_F(AudioTools, PlayFadesInOnTheNamedDeviceAndReportsFailures) {
    SinkRecorder hall(QStringLiteral("kb_hall"));
    ASSERT_TRUE(hall.start());
    auto levelAt = [&](const char* volume) {
        const qint64 begin = monotonicNs();
        QElapsedTimer timer;
        timer.start();
        const ToolResult played =
            program({QStringLiteral("--play"), toneFile(QStringLiteral("mp3"), 1.5),
                     QStringLiteral("--device"), QStringLiteral("KB-Hall"),
                     QStringLiteral("--volume"), QString::fromLatin1(volume)});
        EXPECT_EQ(played.exitCode, 0);
        EXPECT_GT(timer.elapsed(), 1400);
        const qint64 first = hall.firstSoundNs(begin, -70.0);
        EXPECT_GT(first, 0);
        // The sanitized program may run dry now and then: a level of what it played.
        return hall.levelDb(first + 400'000'000, first + 1'000'000'000,
                            SinkRecorder::Silence::IsDropout);
    };
    const double half = levelAt("50");
    const double full = levelAt("100");
    EXPECT_NEAR(full - half, 15.05, 0.5);

    QTemporaryDir folder;
    const ToolResult failed = program({QStringLiteral("--play"), folder.path()});
    EXPECT_EQ(failed.exitCode, 1);
    EXPECT_TRUE(failed.out.isEmpty()) << "failures go to standard error";
    EXPECT_TRUE(failed.err.startsWith(QStringLiteral("0x80070002\t"))) << failed.err.toStdString();
}
