#include "platform/autostart_entry.h"

#include <sys/stat.h>
#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QStringList>
#include <algorithm>
#include <cerrno>

#include "core/storage/whole_file.h"
#include "core/support/access_rights.h"
#include "core/support/system_text.h"

namespace {

// An entry is a few hundred bytes; anything far larger is not ours to read.
constexpr qint64 kMaxEntryBytes = 64 * 1024;

// Inside a quoted Exec argument: ", `, $ and \ take a backslash; a literal % is %%.
QString quoteArgument(const QString& argument) {
    QString quoted = QStringLiteral("\"");
    for (const QChar c : argument) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\') {
            quoted += u'\\';
        }
        quoted += c;
        if (c == u'%') {
            quoted += u'%';
        }
    }
    return quoted + u'"';
}

// The escapes of a desktop entry's string values.
QString escapeValue(const QString& value) {
    QString out;
    for (const QChar c : value) {
        if (c == u'\\') {
            out += QStringLiteral("\\\\");
        } else if (c == u'\n') {
            out += QStringLiteral("\\n");
        } else {
            out += c;
        }
    }
    return out;
}

QString unescapeValue(const QString& value) {
    QString out;
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] != u'\\' || i + 1 == value.size()) {
            out += value[i];
            continue;
        }
        const QChar next = value[++i];
        out += next == u's'   ? QChar(u' ')
               : next == u'n' ? QChar(u'\n')
               : next == u't' ? QChar(u'\t')
               : next == u'r' ? QChar(u'\r')
                              : next;
    }
    return out;
}

AutoStartOptions optionsFromArgument(const QString& rest) {
    const QString argument = rest.trimmed();
    AutoStartOptions options;
    options.autoStart = true;
    options.minimised = argument == QLatin1String("3") || argument == QLatin1String("1");
    options.locked = argument == QLatin1String("3") || argument == QLatin1String("2");
    return options;
}

struct EntryValues {
    QString exec;
    bool disabled = false;  // Hidden=true, or switched off in the desktop's settings
};

EntryValues parseEntry(const QString& text) {
    EntryValues values;
    bool inMainGroup = false;
    for (const QString& raw : text.split(u'\n')) {
        const QString line = raw.trimmed();
        if (line.startsWith(u'[')) {
            inMainGroup = line == QLatin1String("[Desktop Entry]");
            continue;
        }
        const qsizetype equals = line.indexOf(u'=');
        if (!inMainGroup || line.startsWith(u'#') || equals <= 0) {
            continue;
        }
        const QString key = line.left(equals).trimmed();
        const QString value = unescapeValue(line.mid(equals + 1).trimmed());
        if (key == QLatin1String("Exec")) {
            values.exec = value;
        } else if (key == QLatin1String("Hidden") && value == QLatin1String("true")) {
            values.disabled = true;
        } else if (key == QLatin1String("X-GNOME-Autostart-enabled") &&
                   value == QLatin1String("false")) {
            values.disabled = true;
        }
    }
    return values;
}

// Creates the folder and any missing folder above it; 0 or the errno of the failure.
int makeFolders(const QString& folder) {
    const QStringList parts = QDir::cleanPath(folder).split(u'/');
    QString path;
    for (const QString& part : parts) {
        path += part;
        if (!path.isEmpty() && ::mkdir(QFile::encodeName(path).constData(), 0755) != 0 &&
            errno != EEXIST) {
            return errno;
        }
        path += u'/';
    }
    struct stat info {};
    if (::stat(QFile::encodeName(folder).constData(), &info) != 0) {
        return errno;
    }
    return S_ISDIR(info.st_mode) ? 0 : ENOTDIR;
}

QByteArray entryText(const QString& command) {
    return QStringLiteral(
               "[Desktop Entry]\n"
               "Type=Application\n"
               "Name=澜川校园定时广播系统\n"
               "Comment=学校定时广播：按时打铃、播放音乐和通知\n"
               "Exec=%1\n"
               "Icon=kelvora-broadcasting\n"
               "Terminal=false\n"
               "X-GNOME-Autostart-enabled=true\n")
        .arg(escapeValue(command))
        .toUtf8();
}

// Characters that GLib's launcher and systemd's autostart generator read differently in an
// Exec value: each undoes a backslash in its own way, so no quoting of them suits both.
bool readAlikeByLaunchers(const QString& path) {
    return std::none_of(path.begin(), path.end(), [](QChar c) {
        return c == u'\\' || c == u'"' || c == u'`' || c == u'$' || c.unicode() < 0x20;
    });
}

// Both look for the program an Exec value names before they turn "%%" into "%": a path with
// "%" is handed to env, which every PATH has.
QString startedByEnvWhenNeeded(const QString& command, const QString& programPath) {
    return programPath.contains(u'%') ? QStringLiteral("env ") + command : command;
}

QString linkTarget(const QString& link) {
    char target[4096];
    const ssize_t length =
        ::readlink(QFile::encodeName(link).constData(), target, sizeof target - 1);
    return length > 0 ? QFile::decodeName(QByteArray(target, static_cast<int>(length))) : QString();
}

int removeFile(const QString& path) {
    return ::unlink(QFile::encodeName(path).constData()) == 0 || errno == ENOENT ? 0 : errno;
}

// The link at `link` points to `target` after this, put in place in one step; 0 or an errno.
int placeLink(const QString& link, const QString& target) {
    if (linkTarget(link) == target) {
        return 0;
    }
    const QString temporary = link + QStringLiteral(".new");
    removeFile(temporary);
    if (::symlink(QFile::encodeName(target).constData(),
                  QFile::encodeName(temporary).constData()) != 0 ||
        ::rename(QFile::encodeName(temporary).constData(), QFile::encodeName(link).constData()) !=
            0) {
        const int error = errno;
        removeFile(temporary);
        return error;
    }
    return 0;
}

}  // namespace

QString autostartFolder() {
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (config.isEmpty()) {
        config = QDir::homePath() + QStringLiteral("/.config");
    }
    return config + QStringLiteral("/autostart");
}

QString autostartCommand(const QString& programPath, const AutoStartOptions& options) {
    const QString quoted = quoteArgument(programPath);
    if (options.minimised && options.locked) {
        return quoted + QStringLiteral(" 3");
    }
    if (options.minimised) {
        return quoted + QStringLiteral(" 1");
    }
    if (options.locked) {
        return quoted + QStringLiteral(" 2");
    }
    return quoted;
}

AutoStartOptions parseAutostartCommand(const QString& command, const QString& programPath) {
    // Paths are compared exactly: on this system two paths that differ in case are two
    // different programs.
    const QString quoted = quoteArgument(programPath);
    if (command.startsWith(quoted)) {
        return optionsFromArgument(command.mid(quoted.size()));
    }
    if (!programPath.contains(u' ') && command.startsWith(programPath) &&
        (command.size() == programPath.size() || command[programPath.size()] == u' ')) {
        return optionsFromArgument(command.mid(programPath.size()));
    }
    return {};
}

AutostartEntry::AutostartEntry(const QString& folder, const QString& programPath)
    : folder_(folder), programPath_(programPath) {}

QString AutostartEntry::path() const {
    return folder_ + u'/' + kAutostartFileName;
}

QString AutostartEntry::launcherPath() const {
    return folder_ + QStringLiteral("/.KelvoraBroadcasting-program");
}

bool AutostartEntry::needsLauncher() const {
    return !readAlikeByLaunchers(programPath_) && readAlikeByLaunchers(launcherPath());
}

QString AutostartEntry::command(const AutoStartOptions& options) const {
    const QString started = needsLauncher() ? launcherPath() : programPath_;
    return startedByEnvWhenNeeded(autostartCommand(started, options), started);
}

AutoStartOptions AutostartEntry::parse(const QString& exec) const {
    const QString env = QStringLiteral("env ");
    const QString command = exec.startsWith(env) ? exec.mid(env.size()).trimmed() : exec;
    const AutoStartOptions direct = parseAutostartCommand(command, programPath_);
    if (direct.autoStart || linkTarget(launcherPath()) != programPath_) {
        return direct;
    }
    return parseAutostartCommand(command, launcherPath());
}

bool AutostartEntry::read(AutoStartOptions& options, QString& systemText) const {
    options = {};
    QByteArray content;
    AccessRepairs repairs(folder_, path());
    int error = readWholeFile(path(), kMaxEntryBytes, content);
    while (isAccessError(error) && repairs.next()) {
        error = readWholeFile(path(), kMaxEntryBytes, content);
    }
    if (error == ENOENT || error == ENOTDIR) {
        return true;
    }
    if (error != 0) {
        systemText = runtimeErrorText(error);
        return false;
    }
    const EntryValues values = parseEntry(QString::fromUtf8(content));
    if (!values.disabled && !values.exec.isEmpty()) {
        options = parse(values.exec);
    }
    return true;
}

bool AutostartEntry::write(const AutoStartOptions& options, QString& systemText) const {
    AccessRepairs repairs(folder_, path());
    int error = 0;
    for (;;) {
        if (!options.autoStart) {
            error = removeFile(path());
            if (error == 0) {
                removeFile(launcherPath());
            }
        } else {
            error = makeFolders(folder_);
            if (error == 0 && needsLauncher()) {
                error = placeLink(launcherPath(), programPath_);
            }
            if (error == 0) {
                error = replaceWholeFile(path(), entryText(command(options)));
            }
            if (error == 0 && !needsLauncher()) {
                removeFile(launcherPath());
            }
        }
        if (error == 0) {
            return true;
        }
        if (!isAccessError(error) || !repairs.next()) {
            break;
        }
    }
    systemText = runtimeErrorText(error);
    return false;
}
