#include <gtest/gtest.h>
#include <unistd.h>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QDir>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QThread>
#include <QTime>
#include <csignal>

#include "helpers/desktop_session.h"
#include "helpers/temp_folder.h"
#include "helpers/ui_helpers.h"
#include "platform/autostart_entry.h"
#include "ui/app/main_window.h"
#include "ui/app/program.h"
#include "ui/settings/settings_page.h"
#include "ui/timed/timed_page.h"
#include "ui/widgets/hyper_link.h"

namespace {

const QString kLogin = QStringLiteral("org.freedesktop.login1");
const QString kMock = QStringLiteral("org.freedesktop.DBus.Mock");

// Points this process's system bus at the desktop's private one, with session c1 on it.
bool useStandInLogind(const DesktopSession& desktop) {
    qputenv("DBUS_SYSTEM_BUS_ADDRESS",
            desktop.environment().value(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS")).toUtf8());
    qputenv("XDG_SESSION_ID", "c1");
    qunsetenv("SSH_CONNECTION");
    qunsetenv("XRDP_SESSION");
    QDBusMessage add = QDBusMessage::createMethodCall(
        kLogin, QStringLiteral("/org/freedesktop/login1"), kMock, QStringLiteral("AddSession"));
    add.setArguments({QStringLiteral("c1"), QStringLiteral("seat0"), static_cast<uint>(::getuid()),
                      QStringLiteral("teacher"), true});
    return QDBusConnection(QStringLiteral("kb-private-system")).call(add).type() ==
           QDBusMessage::ReplyMessage;
}

bool setRemote(bool remote) {
    QDBusMessage set = QDBusMessage::createMethodCall(
        kLogin, QStringLiteral("/org/freedesktop/login1/session/c1"),
        QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Set"));
    set.setArguments({QStringLiteral("org.freedesktop.login1.Session"), QStringLiteral("Remote"),
                      QVariant::fromValue(QDBusVariant(remote))});
    return QDBusConnection(QStringLiteral("kb-private-system")).call(set).type() ==
           QDBusMessage::ReplyMessage;
}

// The processes started with this variable in their environment: dex hands its programs
// over to init, so they are found by the data folder they were given.
QList<pid_t> processesWith(const QByteArray& variable) {
    QList<pid_t> found;
    for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool number = false;
        const pid_t id = static_cast<pid_t>(entry.toLongLong(&number));
        if (number && id != ::getpid() &&
            readBytes(QStringLiteral("/proc/%1/environ").arg(id)).split('\0').contains(variable)) {
            found.append(id);
        }
    }
    return found;
}

}  // namespace

TEST(SettingsSession, ARemoteSessionShowsTheHintsWithinASecond) {
    DesktopSession desktop;
    ASSERT_TRUE(desktop.start(false, true));
    ASSERT_TRUE(useStandInLogind(desktop));
    RecordedMessages messages;
    TempFolder data;
    TempFolder config;
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    Program program(AppPaths::forFolders(data.path(), data.path()), false);
    ASSERT_TRUE(program.initialise({}));
    QSignalSpy detected(&program.remoteSession(), &RemoteSessionDetector::remoteSessionDetected);
    auto* hint = program.window()
                     ->page(MainWindow::kTimedTab)
                     ->findChild<HyperLink*>(QStringLiteral("remoteLink"));
    ASSERT_NE(hint, nullptr);
    pumpEvents(1200);
    EXPECT_TRUE(hint->isHidden()) << "a local session shows no hint";

    ASSERT_TRUE(setRemote(true));
    QElapsedTimer sinceRemote;
    sinceRemote.start();
    while (hint->isHidden() && sinceRemote.elapsed() < 3000 * machineBusyFactor()) {
        pumpEvents(10);
    }
    const qint64 shownAfter = sinceRemote.elapsed();
    std::printf("remote hint shown %lld ms after logind's Remote became true\n",
                static_cast<long long>(shownAfter));
    EXPECT_FALSE(hint->isHidden());
    // Within a second on an idle machine: the half-second tick sees it on its next turn.
    EXPECT_LE(shownAfter, 1000 * machineBusyFactor());
    // The hint stays, and the signal the other pages listen to came once.
    ASSERT_TRUE(setRemote(false));
    pumpEvents(1200);
    EXPECT_FALSE(hint->isHidden());
    EXPECT_EQ(detected.count(), 1);
    program.shutdown(false);
    EXPECT_TRUE(messages.shown.isEmpty()) << messages.last().toStdString();
}

TEST(SettingsSession, TheAutostartEntryStartsTheProgramWithItsArgument) {
    DesktopSession desktop;
    ASSERT_TRUE(desktop.start(true, true));
    TempFolder config;
    TempFolder data;
    TempFolder runtime;
    const QString folder = config.file(QStringLiteral("autostart"));
    QString text;
    ASSERT_TRUE(AutostartEntry(folder, QStringLiteral(KB_PROGRAM_PATH))
                    .write(AutoStartOptions{true, true, true}, text))
        << text.toStdString();
    QProcessEnvironment env = desktop.environment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
    env.insert(QStringLiteral("XDG_DATA_HOME"), data.path());
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    QProcess dex;
    dex.setProcessEnvironment(env);
    dex.setProcessChannelMode(QProcess::MergedChannels);
    // The session's autostart, limited to this folder.
    dex.start(QStringLiteral("dex"), {QStringLiteral("-a"), QStringLiteral("-s"), folder});
    ASSERT_TRUE(dex.waitForStarted(5000));
    // Argument 3: hidden in the tray and the screen locked.
    EXPECT_TRUE(waitUntil([&] { return desktop.trayIcons() == 1; }, 20000));
    EXPECT_TRUE(waitUntil(
        [&] { return desktop.logindCalls().contains(QStringLiteral("LockSession \"c1\"")); }, 5000))
        << desktop.logindCalls().toStdString();
    EXPECT_TRUE(dex.waitForFinished(15000));
    const QList<pid_t> started =
        processesWith(QByteArrayLiteral("XDG_DATA_HOME=") + data.path().toUtf8());
    ASSERT_EQ(started.size(), 1) << dex.readAll().toStdString();
    const QList<QByteArray> arguments =
        readBytes(QStringLiteral("/proc/%1/cmdline").arg(started[0])).split('\0');
    EXPECT_EQ(arguments.value(0), QByteArrayLiteral(KB_PROGRAM_PATH));
    EXPECT_EQ(arguments.value(1), QByteArrayLiteral("3"));
    ::kill(started[0], SIGINT);
    EXPECT_TRUE(waitUntil(
        [&] { return !QFile::exists(QStringLiteral("/proc/%1").arg(started[0])); }, 15000));
    const QByteArray bytes =
        readBytes(data.file(QStringLiteral("KelvoraBroadcasting9/定时播日志t.txt")));
    const QString log =
        QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.constData()), bytes.size() / 2);
    EXPECT_TRUE(log.contains(QStringLiteral("软件启动")));
    EXPECT_TRUE(log.contains(QStringLiteral("软件关闭")));
}

namespace {

// The program in this process on the desktop's private system bus, with its settings page.
struct ProgramOnStandInLogind {
    explicit ProgramOnStandInLogind(bool headless = false) {
        started = desktop.start(false, true) && useStandInLogind(desktop);
        qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
        program =
            std::make_unique<Program>(AppPaths::forFolders(data.path(), data.path()), headless);
        started = started && program->initialise({});
        if (started && !headless) {
            page = static_cast<SettingsPage*>(program->window()->page(MainWindow::kSettingsTab));
            program->shutdowns().setStepMs(2);
        }
    }
    ~ProgramOnStandInLogind() { program->shutdown(false); }
    QStringList logLines() const {
        const QByteArray bytes = readBytes(program->playLog().path());
        return QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.constData()) + 1,
                                  bytes.size() / 2 - 1)
            .split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    }

    DesktopSession desktop;
    RecordedMessages messages;
    TempFolder data;
    TempFolder config;
    std::unique_ptr<Program> program;
    SettingsPage* page = nullptr;
    bool started = false;
};

}  // namespace

// Lets the countdown run out and checks what logind was asked and how the program ended.
void expectCountdownEndsTheSession(ShutdownMode mode, const QString& call) {
    ProgramOnStandInLogind f;
    ASSERT_TRUE(f.started);
    f.program->shutdowns().startCountdown(mode);
    EXPECT_TRUE(waitUntil([&] { return f.desktop.logindCalls().contains(call); }, 3000))
        << f.desktop.logindCalls().toStdString();
    EXPECT_TRUE(f.program->isShutDown());
    // The session-end form of the exit: no "软件关闭".
    const QStringList lines = f.logLines();
    ASSERT_EQ(lines.size(), 1) << lines.join(u'\n').toStdString();
    EXPECT_TRUE(lines[0].endsWith(QStringLiteral("软件启动")));
    EXPECT_TRUE(f.messages.shown.isEmpty()) << f.messages.last().toStdString();
}

TEST(SettingsSession, ReachingZeroPowersOffThroughLogindAndEndsLikeTheSession) {
    expectCountdownEndsTheSession(ShutdownMode::Shutdown, QStringLiteral("PowerOff False"));
}

TEST(SettingsSession, ReachingZeroRestartsThroughLogindAndEndsLikeTheSession) {
    expectCountdownEndsTheSession(ShutdownMode::Restart, QStringLiteral("Reboot False"));
}

TEST(SettingsSession, ARefusalOfLogindIsShownAndTheProgramKeepsRunning) {
    ProgramOnStandInLogind f;
    ASSERT_TRUE(f.started);
    QDBusMessage refuse = QDBusMessage::createMethodCall(
        kLogin, QStringLiteral("/org/freedesktop/login1"), kMock, QStringLiteral("AddMethod"));
    refuse.setArguments(
        {QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("PowerOff"),
         QStringLiteral("b"), QString(),
         QStringLiteral("raise dbus.exceptions.DBusException('Access denied by the test policy', "
                        "name='org.freedesktop.DBus.Error.AccessDenied')")});
    ASSERT_EQ(QDBusConnection(QStringLiteral("kb-private-system")).call(refuse).type(),
              QDBusMessage::ReplyMessage);
    // Hidden as in the tray: the countdown brings the window back while it counts.
    f.program->window()->hide();
    f.program->shutdowns().setStepMs(10);
    f.program->shutdowns().startCountdown(ShutdownMode::Shutdown);
    EXPECT_TRUE(f.program->window()->isVisible());
    EXPECT_EQ(f.messages.texts(),
              QStringList{QStringLiteral("定时关机失败：\n系统不允许本用户关机或重启 (没有权限)\n"
                                         "(Access denied by the test policy)\n\n"
                                         "技术支持 - 帮助栏里有联系方式")});
    EXPECT_EQ(f.messages.shown.value(0).icon, MessageIcon::Error);
    EXPECT_FALSE(f.program->isShutDown());
    EXPECT_FALSE(f.program->shutdowns().isCountingDown());
}

// Without a window (a PC in a cupboard) the schedule still powers the machine off.
TEST(SettingsSession, WithoutAWindowTheScheduleCountsDownAndPowersOff) {
    ProgramOnStandInLogind f(true);
    ASSERT_TRUE(f.started);
    f.program->shutdowns().setStepMs(2);
    const QTime soon = QTime::currentTime().addSecs(1);
    f.program->settings().dailyShutdownEnabled = 1;
    f.program->settings().dailyShutdownTime = {soon.hour(), soon.minute(), soon.second()};
    QElapsedTimer waited;
    waited.start();
    while (!f.program->isShutDown() && waited.elapsed() < 20000) {
        pumpEvents(50);
    }
    EXPECT_TRUE(f.desktop.logindCalls().contains(QStringLiteral("PowerOff False")))
        << f.desktop.logindCalls().toStdString();
    EXPECT_TRUE(f.program->isShutDown());
    EXPECT_EQ(f.program->window(), nullptr);
}
