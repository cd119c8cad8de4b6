#include <gtest/gtest.h>
#include <QDate>
#include <QFileInfo>
#include <QThread>
#include <QTime>
#include <csignal>
#include <cstdio>

#include "audio/gst_support.h"
#include "audio/output_devices.h"
#include "core/timed/programme_file.h"
#include "helpers/program_runner.h"
#include "helpers/sink_recorder.h"
#include "helpers/test_environment.h"
#include "packaging/installed_tree.h"

namespace {

// The installed program, run the way a user or the service manager runs it, with the
// source and build trees hidden where that can be done.
class InstalledRun : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(tree.ok()) << tree.error().toStdString();
        for (const QString& build : buildTrees()) {
            ASSERT_FALSE(tree.root().startsWith(build)) << "the scratch root must lie outside";
        }
        if (canHideBuildTrees()) {
            const QString probe = QStringLiteral(KB_BUILD_DIR) + QStringLiteral("/CMakeCache.txt");
            const QStringList check = commandWithBuildTreesHidden(
                {QStringLiteral("test"), QStringLiteral("!"), QStringLiteral("-e"), probe});
            ASSERT_EQ(runTool(check.first(), check.mid(1)).exitCode, 0) << "trees not hidden";
        } else {
            std::fprintf(stderr,
                         "note: cannot hide the build trees (no private mounts); the "
                         "installed copy runs beside them\n");
        }
    }

    // Starts the installed program under a runner with its own data folder.
    bool start(ProgramRunner& runner, const QStringList& arguments) {
        return runner.start(launch(arguments).mid(1));
    }
    QStringList launch(const QStringList& arguments) const {
        const QStringList command = QStringList{tree.program()} + arguments;
        return canHideBuildTrees() ? commandWithBuildTreesHidden(command) : command;
    }
    QString launcher() const { return launch({}).first(); }

    // A run to the end, with the given data folder.
    ToolResult run(const QStringList& arguments, const QString& dataHome) const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_DATA_HOME"), dataHome);
        const QStringList command = launch(arguments);
        return runTool(command.first(), command.mid(1), env);
    }

    bool mentionsBuildTrees(const QString& text) const {
        for (const QString& build : buildTrees()) {
            if (text.contains(build)) {
                return true;
            }
        }
        return false;
    }

    InstalledTree tree;
};

}  // namespace

TEST_F(InstalledRun, VersionHelpAndPreviewWorkFromTheScratchRoot) {
    QTemporaryDir home;
    const ToolResult version = run({QStringLiteral("--version")}, home.path());
    EXPECT_EQ(version.exitCode, 0) << version.err.toStdString();
    EXPECT_TRUE(version.out.startsWith(QStringLiteral("kelvora-broadcasting ")));

    const ToolResult help = run({QStringLiteral("--help")}, home.path());
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.contains(QStringLiteral("program files      ") + tree.resources() + u'\n'))
        << help.out.toStdString();
    EXPECT_TRUE(help.out.contains(home.path() + QStringLiteral("/KelvoraBroadcasting9\n")));
    EXPECT_FALSE(mentionsBuildTrees(help.out));

    ProgrammeTable table;
    Programme p = newProgramme();
    setProgrammeName(p, QStringLiteral("上课铃"));
    setProgrammePath(p, tree.resources() + QStringLiteral("/music/铃声/上课铃.ogg"));
    p.startTimes[0] = ClockTime{7, 55, 0};
    table.append(p);
    QString message;
    ASSERT_TRUE(
        saveProgrammes(home.path() + QStringLiteral("/KelvoraBroadcasting9"), table, true, message))
        << message.toStdString();
    const ToolResult preview =
        run({QStringLiteral("--preview"), QStringLiteral("2026-09-01"), QStringLiteral("2")},
            home.path());
    EXPECT_EQ(preview.exitCode, 0) << preview.err.toStdString();
    EXPECT_EQ(preview.out, QStringLiteral("2026-09-01 07:55:00\t07:55:00\t上课铃\n"
                                          "2026-09-02 07:55:00\t07:55:00\t上课铃\n"));
}

TEST_F(InstalledRun, HeadlessPlaysTheShippedBellOnTheConfiguredDevice) {
    ASSERT_TRUE(soundServerReady());
    ASSERT_TRUE(initAudioEngine());
    waitUntilTheDateHoldsFor(30);
    ProgramRunner program(launcher());
    QString message;
    ASSERT_TRUE(writeDueProgramme(program.dataFolder(), QStringLiteral("上课铃"),
                                  tree.resources() + QStringLiteral("/music/铃声/上课铃.ogg"), 3,
                                  QStringLiteral("KB-Hall"), message))
        << message.toStdString();

    SinkRecorder hall(QStringLiteral("kb_hall"));
    ASSERT_TRUE(hall.start());
    // The arguments the user service starts it with.
    ASSERT_TRUE(start(program, {QStringLiteral("--headless")}));
    ASSERT_TRUE(program.waitForOutput(QStringLiteral("上课铃 ◆ 开始播放"), 10000))
        << program.output().toStdString() << program.errors().toStdString();
    const qint64 started = monotonicNs();
    QThread::msleep(1500);
    EXPECT_GT(hall.levelDb(started + 300'000'000, started + 1'400'000'000), -40.0);
    EXPECT_EQ(program.stop(SIGINT), 0);
    const QStringList lines = program.logLines();
    ASSERT_EQ(lines.size(), 3) << lines.join(u'\n').toStdString();
    EXPECT_TRUE(lines[1].endsWith(QStringLiteral("   上课铃 ◆ 开始播放")));
    EXPECT_FALSE(mentionsBuildTrees(program.errors())) << program.errors().toStdString();
}

TEST_F(InstalledRun, WindowFindsTheWelcomeAndHelpPagesInTheScratchRoot) {
    ProgramRunner program(launcher());
    QProcessEnvironment env;
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("kb.ui.debug=true"));
    program.addEnvironment(env);
    ASSERT_TRUE(start(program, {}));
    ASSERT_TRUE(program.waitForError(QStringLiteral("help page"), 20000))
        << program.errors().toStdString();
    EXPECT_EQ(program.stop(SIGINT), 0);
    const QString said = program.errors();
    EXPECT_TRUE(
        said.contains(QStringLiteral("welcome page: \"%1/welcome.htm\"").arg(tree.resources())))
        << said.toStdString();
    EXPECT_TRUE(
        said.contains(QStringLiteral("help page: \"%1/help/index.html\"").arg(tree.resources())))
        << said.toStdString();
    EXPECT_FALSE(said.contains(QStringLiteral("missing"))) << said.toStdString();
    EXPECT_FALSE(mentionsBuildTrees(said)) << said.toStdString();
}
