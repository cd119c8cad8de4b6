#include <gtest/gtest.h>
#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>
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

namespace {

// The words of a systemd ExecStart value as systemd hands them to the program: quotes,
// C escapes and "%%".
QStringList systemdWords(QString value) {
    while (!value.isEmpty() && QStringLiteral(":-@+!").contains(value[0])) {
        value.remove(0, 1);
    }
    QStringList words;
    QString word;
    bool inWord = false;
    bool quoted = false;
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value[i];
        if (c == u'\\' && i + 1 < value.size()) {
            const QChar next = value[++i];
            word += next == u'n' ? QChar(u'\n') : next == u't' ? QChar(u'\t') : next;
            inWord = true;
        } else if (c == u'%' && i + 1 < value.size() && value[i + 1] == u'%') {
            word += u'%';
            ++i;
            inWord = true;
        } else if (c == u'"') {
            quoted = !quoted;
            inWord = true;
        } else if (c == u' ' && !quoted) {
            if (inWord) {
                words.append(word);
            }
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord) {
        words.append(word);
    }
    return words;
}

bool waitForLine(const QString& log, const QString& line) {
    for (int i = 0; i < 200; ++i) {
        if (QString::fromUtf8(readBytes(log)).split(u'\n').contains(line)) {
            return true;
        }
        QThread::msleep(50);
    }
    return false;
}

}  // namespace

TEST(AutostartEntry, StartsTheProgramUnderGioAndSystemdFromAnyFolder) {
    const QString generator =
        QStringLiteral("/usr/lib/systemd/user-generators/systemd-xdg-autostart-generator");
    ASSERT_TRUE(QFile::exists(generator)) << "systemd is installed by install-deps.sh";
    ASSERT_FALSE(QStandardPaths::findExecutable(QStringLiteral("gio")).isEmpty())
        << "libglib2.0-bin is installed by install-deps.sh";
    TempFolder dir;
    const QString log = dir.file(QStringLiteral("started.log"));
    const QStringList folders = {QStringLiteral("校园 广播"), QStringLiteral("100%"),
                                 QStringLiteral("back\\slash"),
                                 QStringLiteral("all 50% \\ $HOME `x` \"q\"")};
    for (int n = 0; n < folders.size(); ++n) {
        SCOPED_TRACE(folders[n].toStdString());
        const QString folder = dir.file(QStringLiteral("programs/") + folders[n]);
        ASSERT_TRUE(QDir().mkpath(folder));
        // A stand-in for the program that notes how it was started.
        const QString program = folder + QStringLiteral("/kelvora-broadcasting");
        writeBytes(
            program,
            QStringLiteral("#!/bin/sh\necho \"case %1 $*\" >> '%2'\n").arg(n).arg(log).toUtf8());
        QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        const QString config = dir.file(QStringLiteral("config%1").arg(n));
        AutostartEntry entry(config + QStringLiteral("/autostart"), program);
        QString text;
        ASSERT_TRUE(entry.write(options(true, true), text)) << text.toStdString();
        AutoStartOptions read;
        ASSERT_TRUE(entry.read(read, text));
        expectOptions(read, true, true, true);

        QProcess gio;
        gio.start(QStringLiteral("gio"), {QStringLiteral("launch"), entry.path()});
        ASSERT_TRUE(gio.waitForFinished(10000));
        EXPECT_EQ(gio.exitCode(), 0) << gio.readAllStandardError().toStdString();
        EXPECT_TRUE(waitForLine(log, QStringLiteral("case %1 3").arg(n)))
            << "gio: " << execLine(entry.path()).toStdString();

        const QString units = dir.file(QStringLiteral("units%1").arg(n));
        ASSERT_TRUE(QDir().mkpath(units));
        QProcess generate;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), config);
        env.insert(QStringLiteral("XDG_CONFIG_DIRS"), dir.file(QStringLiteral("none")));
        generate.setProcessEnvironment(env);
        generate.start(generator, {units, units, units});
        ASSERT_TRUE(generate.waitForFinished(10000));
        QString execStart;
        for (const QString& unit : QDir(units).entryList({QStringLiteral("*.service")})) {
            for (const QString& line :
                 QString::fromUtf8(readBytes(units + u'/' + unit)).split(u'\n')) {
                if (line.startsWith(QLatin1String("ExecStart="))) {
                    execStart = line.mid(10);
                }
            }
        }
        ASSERT_FALSE(execStart.isEmpty())
            << "systemd: " << generate.readAllStandardError().toStdString();
        const QStringList words = systemdWords(execStart);
        ASSERT_FALSE(words.isEmpty());
        EXPECT_EQ(QProcess::execute(words.first(), words.mid(1)), 0) << execStart.toStdString();
        EXPECT_EQ(QString::fromUtf8(readBytes(log)).count(QStringLiteral("case %1 3\n").arg(n)), 2)
            << "systemd: " << execStart.toStdString();
    }
}
