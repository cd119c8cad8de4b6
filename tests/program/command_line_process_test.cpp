#include <gtest/gtest.h>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

#include "core/storage/app_paths.h"
#include "helpers/program_runner.h"

namespace {

ToolResult runProgram(const QStringList& arguments) {
    QTemporaryDir data;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_DATA_HOME"), data.path());
    const ToolResult run = runTool(QStringLiteral(KB_PROGRAM_PATH), arguments, env);
    // Nothing of the program's own starts for these: not even the data folder.
    EXPECT_TRUE(QDir(data.path()).isEmpty()) << arguments.join(u' ').toStdString();
    return run;
}

}  // namespace

TEST(CommandLine, HelpAndVersionGoToStandardOutputAndSucceed) {
    for (const char* option : {"--help", "-h"}) {
        const ToolResult help = runProgram({QString::fromLatin1(option)});
        EXPECT_EQ(help.exitCode, 0);
        EXPECT_TRUE(help.err.isEmpty()) << help.err.toStdString();
        EXPECT_TRUE(help.out.startsWith(QStringLiteral("Usage: kelvora-broadcasting")));
        for (const char* named :
             {"--headless", "--preview", "--export-week", "--list-devices", "--probe", "--play",
              "--import-windows", "--import-holidays", "--status", "--version", "Exit status"}) {
            EXPECT_TRUE(help.out.contains(QString::fromLatin1(named))) << named;
        }
        // It says where the data lives and where the program's files are.
        EXPECT_TRUE(help.out.contains(QStringLiteral("/KelvoraBroadcasting9\n")));
        EXPECT_TRUE(help.out.contains(QStringLiteral("program files      ") +
                                      QFileInfo(QStringLiteral(KB_PROGRAM_PATH)).absolutePath()))
            << help.out.toStdString();
    }
    // --help wins wherever it stands, even after an unknown option.
    EXPECT_EQ(runProgram({QStringLiteral("--bogus"), QStringLiteral("--help")}).exitCode, 0);

    const ToolResult version = runProgram({QStringLiteral("--version")});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_TRUE(version.err.isEmpty());
    const QStringList lines = version.out.split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2) << version.out.toStdString();
    ASSERT_TRUE(lines[0].startsWith(QStringLiteral("kelvora-broadcasting ")));
    const QString number = lines[0].section(u' ', 1);
    EXPECT_FALSE(number.isEmpty());
    // The window's title carries the same version as the package.
    EXPECT_EQ(lines[1], kApplicationTitle);
    EXPECT_TRUE(kApplicationTitle.endsWith(u' ' + number)) << number.toStdString();
}

TEST(CommandLine, WrongUsageGetsAUsageLineOnStandardErrorAndStatusTwo) {
    const QList<QStringList> wrong = {
        {QStringLiteral("--bogus")},
        {QStringLiteral("--headless"), QStringLiteral("--preveiw")},
        {QStringLiteral("--version"), QStringLiteral("--no-such")},
        {QStringLiteral("--probe")},
        {QStringLiteral("--list-devices"), QStringLiteral("extra")},
        {QStringLiteral("--play")},
        {QStringLiteral("--play"), QStringLiteral("a.mp3"), QStringLiteral("b.mp3")},
        {QStringLiteral("--play"), QStringLiteral("--device")},
        {QStringLiteral("--play"), QStringLiteral("a.mp3"), QStringLiteral("--volume"),
         QStringLiteral("101")},
        {QStringLiteral("--preview"), QStringLiteral("2026-02-30"), QStringLiteral("7")},
        {QStringLiteral("--preview"), QStringLiteral("2026-09-01"), QStringLiteral("36601")},
        {QStringLiteral("--preview"), QStringLiteral("2026-09-01"), QStringLiteral("2147483647")},
        {QStringLiteral("--export-week"), QStringLiteral("2026-02-30"), QStringLiteral("w.pdf")},
        {QStringLiteral("--export-week"), QStringLiteral("2026-03-02")},
        {QStringLiteral("--import-windows")},
        {QStringLiteral("--import-windows"), QStringLiteral("a"), QStringLiteral("--map"),
         QStringLiteral("D:")},
        {QStringLiteral("--import-windows"), QStringLiteral("a"), QStringLiteral("b")},
        {QStringLiteral("--import-holidays")},
        {QStringLiteral("--import-holidays"), QStringLiteral("a.ics"), QStringLiteral("b.ics")},
    };
    for (const QStringList& arguments : wrong) {
        const ToolResult run = runProgram(arguments);
        const std::string said = arguments.join(u' ').toStdString();
        EXPECT_EQ(run.exitCode, 2) << said;
        EXPECT_TRUE(run.out.isEmpty()) << said << ": " << run.out.toStdString();
        EXPECT_TRUE(run.err.contains(QStringLiteral("sage: kelvora-broadcasting")) ||
                    run.err.contains(QStringLiteral("--volume takes")))
            << said << ": " << run.err.toStdString();
    }
    const ToolResult unknown = runProgram({QStringLiteral("--bogus")});
    EXPECT_TRUE(
        unknown.err.startsWith(QStringLiteral("kelvora-broadcasting: unknown option --bogus\n")))
        << unknown.err.toStdString();
}
