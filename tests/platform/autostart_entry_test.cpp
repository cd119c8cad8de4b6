#include <gtest/gtest.h>
#include <QDir>
#include <QProcess>
#include <cstring>

#include "helpers/temp_folder.h"
#include "platform/autostart_entry.h"

namespace {

const QString kProgram = QStringLiteral("/opt/kelvora/kelvora-broadcasting");

AutoStartOptions options(bool minimised, bool locked) {
    return {true, minimised, locked};
}

void expectOptions(const AutoStartOptions& o, bool on, bool minimised, bool locked) {
    EXPECT_EQ(o.autoStart, on);
    EXPECT_EQ(o.minimised, minimised);
    EXPECT_EQ(o.locked, locked);
}

QString execLine(const QString& entryPath) {
    for (const QString& line : QString::fromUtf8(readBytes(entryPath)).split(u'\n')) {
        if (line.startsWith(QLatin1String("Exec="))) {
            return line.mid(5);
        }
    }
    return QString();
}

}  // namespace

TEST(AutostartCommand, TheArgumentFollowsTheQuotedPath) {
    EXPECT_EQ(autostartCommand(kProgram, options(false, false)), u'"' + kProgram + u'"');
    EXPECT_EQ(autostartCommand(kProgram, options(true, false)), u'"' + kProgram + "\" 1");
    EXPECT_EQ(autostartCommand(kProgram, options(false, true)), u'"' + kProgram + "\" 2");
    EXPECT_EQ(autostartCommand(kProgram, options(true, true)), u'"' + kProgram + "\" 3");
    for (const bool minimised : {false, true}) {
        for (const bool locked : {false, true}) {
            expectOptions(parseAutostartCommand(
                              autostartCommand(kProgram, options(minimised, locked)), kProgram),
                          true, minimised, locked);
        }
    }
}

TEST(AutostartCommand, OnlyThisProgramsPathIsRecognised) {
    // The argument after the path is trimmed; anything but 1, 2 or 3 sets neither option.
    expectOptions(parseAutostartCommand(u'"' + kProgram + "\"   3  ", kProgram), true, true, true);
    expectOptions(parseAutostartCommand(u'"' + kProgram + "\" 4", kProgram), true, false, false);
    // Another copy in another folder, or the same name in other letter case.
    expectOptions(
        parseAutostartCommand(QStringLiteral("\"/home/t/kb/kelvora-broadcasting\" 3"), kProgram),
        false, false, false);
    expectOptions(
        parseAutostartCommand(QStringLiteral("\"/OPT/kelvora/kelvora-broadcasting\""), kProgram),
        false, false, false);
    // The bare path counts only for a path without blanks, and only as a whole word.
    expectOptions(parseAutostartCommand(kProgram + " 2", kProgram), true, false, true);
    expectOptions(parseAutostartCommand(kProgram, kProgram), true, false, false);
    expectOptions(parseAutostartCommand(kProgram + "-old 2", kProgram), false, false, false);
    const QString blank = QStringLiteral("/opt/校园 广播/kelvora-broadcasting");
    expectOptions(parseAutostartCommand(blank + " 1", blank), false, false, false);
    expectOptions(parseAutostartCommand(u'"' + blank + "\" 1", blank), true, true, false);
}

TEST(AutostartCommand, ReservedCharactersAreQuotedTheDesktopEntryWay) {
    const QString odd = QStringLiteral("/opt/a$b`c\"d\\e 100%/kb");
    const QString command = autostartCommand(odd, options(true, false));
    EXPECT_EQ(command, QStringLiteral("\"/opt/a\\$b\\`c\\\"d\\\\e 100%%/kb\" 1"));
    expectOptions(parseAutostartCommand(command, odd), true, true, false);
}

TEST(AutostartEntry, WritesAValidEntryAndRemovesItWhenSwitchedOff) {
    TempFolder config;
    const QString folder = config.file(QStringLiteral("deep/autostart"));
    AutostartEntry entry(folder, QStringLiteral("/opt/校园 广播/kelvora-broadcasting"));
    QString text;
    AutoStartOptions read;
    ASSERT_TRUE(entry.read(read, text)) << "an absent entry is all off";
    expectOptions(read, false, false, false);

    ASSERT_TRUE(entry.write(options(true, true), text)) << text.toStdString();
    EXPECT_EQ(entry.path(), folder + QStringLiteral("/KelvoraBroadcasting.desktop"));
    EXPECT_EQ(execLine(entry.path()), QStringLiteral("\"/opt/校园 广播/kelvora-broadcasting\" 3"));
    const QString entryText = QString::fromUtf8(readBytes(entry.path()));
    for (const char* line :
         {"[Desktop Entry]\n", "\nType=Application\n", "\nName=", "\nIcon=kelvora-broadcasting\n",
          "\nX-GNOME-Autostart-enabled=true\n"}) {
        EXPECT_TRUE(entryText.contains(QLatin1String(line))) << line;
    }
    // No temporary is left beside it.
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden).size(), 1);
    QProcess validate;
    validate.start(QStringLiteral("desktop-file-validate"), {entry.path()});
    ASSERT_TRUE(validate.waitForFinished(10000));
    EXPECT_EQ(validate.exitCode(), 0) << validate.readAllStandardOutput().toStdString();
    EXPECT_TRUE(validate.readAllStandardOutput().isEmpty());

    ASSERT_TRUE(entry.read(read, text));
    expectOptions(read, true, true, true);
    ASSERT_TRUE(entry.write(AutoStartOptions{}, text));
    EXPECT_FALSE(QFile::exists(entry.path()));
    ASSERT_TRUE(entry.write(AutoStartOptions{}, text)) << "removing a missing entry is fine";
}

TEST(AutostartEntry, AnEntrySwitchedOffByTheDesktopCountsAsOff) {
    TempFolder config;
    AutostartEntry entry(config.path(), kProgram);
    QString text;
    ASSERT_TRUE(entry.write(options(true, false), text));
    QString content = QString::fromUtf8(readBytes(entry.path()));
    content.replace(QStringLiteral("X-GNOME-Autostart-enabled=true"),
                    QStringLiteral("X-GNOME-Autostart-enabled=false"));
    writeBytes(entry.path(), content.toUtf8());
    AutoStartOptions read = options(true, true);
    ASSERT_TRUE(entry.read(read, text));
    expectOptions(read, false, false, false);
    // An Exec in another group is not the entry's.
    writeBytes(entry.path(), "[Desktop Action x]\nExec=\"/opt/kelvora/kelvora-broadcasting\" 1\n");
    ASSERT_TRUE(entry.read(read, text));
    expectOptions(read, false, false, false);
}

TEST(AutostartEntry, AnUnreadableEntryReportsTheSystemText) {
    TempFolder config;
    AutostartEntry entry(config.path(), kProgram);
    // A folder standing where the entry should be cannot be read as one.
    QDir().mkpath(entry.path());
    AutoStartOptions read = options(true, true);
    QString text;
    EXPECT_FALSE(entry.read(read, text));
    EXPECT_EQ(text, QString::fromLocal8Bit(strerror(EISDIR)));
    expectOptions(read, false, false, false);
    // A FIFO is refused at once instead of waiting for a writer.
    QDir().rmdir(entry.path());
    ASSERT_EQ(runShell(QStringLiteral("mkfifo '%1'").arg(entry.path())), 0);
    EXPECT_FALSE(entry.read(read, text));
}
