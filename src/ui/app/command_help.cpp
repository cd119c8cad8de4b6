#include "ui/app/command_help.h"

#include <QStringList>

QString programVersion() {
    return QStringLiteral(KB_VERSION);
}

QString versionText() {
    return QStringLiteral("kelvora-broadcasting %1\n%2\n").arg(programVersion(), kApplicationTitle);
}

QString usageText() {
    return QStringLiteral(
        "Usage: kelvora-broadcasting [--headless] [1|2|3]\n"
        "       kelvora-broadcasting --preview YYYY-MM-DD N\n"
        "       kelvora-broadcasting --export-week YYYY-MM-DD FILE.pdf\n"
        "       kelvora-broadcasting --list-devices\n"
        "       kelvora-broadcasting --probe FILE...\n"
        "       kelvora-broadcasting --play FILE [--device NAME] [--volume N]\n"
        "       kelvora-broadcasting --status | --reload\n"
        "       kelvora-broadcasting --emergency [FILE] | --stop-emergency\n"
        "       kelvora-broadcasting --import-windows SOURCE [--map PREFIX=FOLDER]...\n"
        "       kelvora-broadcasting --import-holidays FILE.ics\n"
        "       kelvora-broadcasting --help | --version\n");
}

QString helpText(const AppPaths& paths) {
    return usageText() + QStringLiteral(
                             "\n%1: plays the school's bells, music and announcements at\n"
                             "their times, unattended.\n"
                             "\n"
                             "Options:\n"
                             "  1, 2, 3            start hidden in the tray (1), lock the "
                             "screen (2), or both (3)\n"
                             "  --headless         run timed play without windows; every "
                             "play-log line is also\n"
                             "                     printed on standard output\n"
                             "  --preview DATE N   list every start that would fire in N "
                             "days from DATE\n"
                             "                     (N from 0 to 36600)\n"
                             "  --export-week DATE FILE\n"
                             "                     write the week that holds DATE as a PDF "
                             "(A4, the chart\n"
                             "                     and every start), without a display\n"
                             "  --list-devices     list the audio outputs by the names the "
                             "settings use\n"
                             "  --probe FILE...    print each file's length in milliseconds "
                             "(-1: unreadable)\n"
                             "  --play FILE        play a file as a programme would, on "
                             "--device NAME at\n"
                             "                     --volume N (0 to 100)\n"
                             "  --status           print what the running copy is doing (JSON); "
                             "exit 3 when none runs\n"
                             "  --reload           make the running copy read its data files "
                             "again\n"
                             "  --emergency [FILE] make the running copy sound the emergency "
                             "alarm in every\n"
                             "                     zone at once, FILE or the chosen alarm, "
                             "until stopped\n"
                             "  --stop-emergency   end the running copy's emergency alarm\n"
                             "  --import-windows SOURCE\n"
                             "                     take over the Windows program's data "
                             "folder, or a ZIP of it;\n"
                             "                     --map 'D:\\广播=/srv/广播' says where a "
                             "drive or folder now is;\n"
                             "                     the current data is first saved as "
                             "导入前备份-*.zip\n"
                             "                     in the data folder\n"
                             "  --import-holidays FILE.ics\n"
                             "                     add the holidays and adjusted workdays of "
                             "an iCalendar file\n"
                             "  -h, --help         show this help and exit\n"
                             "  --version          show the version and exit\n"
                             "\n"
                             "Exit status: 0 success, 1 failure, 2 wrong usage, 3 no running "
                             "copy.\n"
                             "\n"
                             "Files:\n"
                             "  data folder        %2\n"
                             "  program files      %3\n")
                             .arg(kApplicationTitle, paths.dataFolder, paths.resourceFolder);
}

CommandCheck checkCommandLine(const QStringList& arguments) {
    bool version = false;
    QString bad;
    for (const QString& argument : arguments) {
        if (argument == QLatin1String("--help") || argument == QLatin1String("-h")) {
            return {CommandRequest::Help, QString()};
        }
        if (argument == QLatin1String("--version")) {
            version = true;
        } else if (argument.startsWith(QLatin1String("--")) &&
                   argument != QLatin1String("--headless") && bad.isEmpty()) {
            // Single-dash arguments are left to Qt (-platform, -display, ...).
            bad = argument;
        }
    }
    if (!bad.isEmpty()) {
        return {CommandRequest::BadOption, bad};
    }
    return {version ? CommandRequest::Version : CommandRequest::Run, QString()};
}
