#include <gtest/gtest.h>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QTimer>
#include <QUrl>

#include "helpers/temp_folder.h"
#include "platform/file_manager.h"

namespace {

const QString kService = QStringLiteral("org.freedesktop.FileManager1");

bool waitFor(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > timeoutMs) {
            return false;
        }
        QEventLoop loop;
        QTimer::singleShot(20, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}

}  // namespace

// Both cases in one test: they share the session bus of the test run.
TEST(FileManager, ShowItemsGoesToTheFileManagerElseTheFolderOpens) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    ASSERT_TRUE(bus.isConnected()) << "needs the test session bus (scripts/with-test-services.sh)";
    ASSERT_FALSE(bus.interface()->isServiceRegistered(kService));
    TempFolder folder;
    const QString file = folder.file(QStringLiteral("早操 音乐.mp3"));
    writeBytes(file, "x");

    bool openedFolder = false;
    showInFileManager(file, [&] { openedFolder = true; });
    EXPECT_TRUE(waitFor([&] { return openedFolder; }, 5000)) << "no file manager on the bus";

    // A stand-in file manager that records its calls.
    const QString log = folder.file(QStringLiteral("calls.log"));
    QProcess mock;
    mock.start(QStringLiteral("/usr/bin/python3"),
               {QStringLiteral("-m"), QStringLiteral("dbusmock"), QStringLiteral("--session"),
                QStringLiteral("-l"), log, kService,
                QStringLiteral("/org/freedesktop/FileManager1"), kService});
    ASSERT_TRUE(
        waitFor([&] { return bus.interface()->isServiceRegistered(kService).value(); }, 10000));
    QDBusMessage add = QDBusMessage::createMethodCall(
        kService, QStringLiteral("/org/freedesktop/FileManager1"),
        QStringLiteral("org.freedesktop.DBus.Mock"), QStringLiteral("AddMethod"));
    add.setArguments(
        {QString(), QStringLiteral("ShowItems"), QStringLiteral("ass"), QString(), QString()});
    ASSERT_EQ(bus.call(add).type(), QDBusMessage::ReplyMessage);

    openedFolder = false;
    showInFileManager(file, [&] { openedFolder = true; });
    const bool called = waitFor(
        [&] { return QString::fromUtf8(readBytes(log)).contains(QStringLiteral("ShowItems")); },
        5000);
    mock.terminate();
    mock.waitForFinished(5000);
    ASSERT_TRUE(called);
    const QString calls = QString::fromUtf8(readBytes(log));
    EXPECT_TRUE(calls.contains(QString::fromUtf8(QUrl::fromLocalFile(folder.path()).toEncoded()) +
                               QStringLiteral("/%E6%97%A9%E6%93%8D%20%E9%9F%B3%E4%B9%90.mp3")))
        << calls.toStdString();
    EXPECT_FALSE(openedFolder);
}
