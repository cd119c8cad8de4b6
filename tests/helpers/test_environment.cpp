#include "helpers/test_environment.h"

#include <QEventLoop>
#include <QFile>
#include <QThread>
#include <QTime>
#include <QTimer>
#include <algorithm>

::testing::AssertionResult soundServerReady() {
    if (qgetenv("KB_SOUND_SERVER") == "up") {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure()
           << "the test sound server is not running: run the tests through "
              "scripts/with-test-services.sh (KB_SOUND_SERVER="
           << qgetenv("KB_SOUND_SERVER").constData() << ")";
}

void useTheSoundServerGiven() {
    const QByteArray given = qgetenv("CTEST_RESOURCE_GROUP_0_SOUND");
    for (const QByteArray& field : given.split(',')) {
        if (field.startsWith("id:") && field != "id:0") {
            qputenv("PULSE_SERVER",
                    "unix:" + qgetenv("XDG_RUNTIME_DIR") + "/pulse-" + field.mid(3) + "/native");
        }
    }
    // Processes the test starts inherit PULSE_SERVER, or are given a server of their own.
    qunsetenv("CTEST_RESOURCE_GROUP_0_SOUND");
}

double machineBusyFactor() {
    QFile file(QStringLiteral("/proc/loadavg"));
    if (!file.open(QIODevice::ReadOnly)) {
        return 1.0;
    }
    const double load = file.read(64).split(' ').value(0).toDouble();
    return std::max(1.0, load / std::max(1, QThread::idealThreadCount()));
}

void waitUntilTheDateHoldsFor(int seconds) {
    const QTime now = QTime::currentTime();
    const int left = now.secsTo(QTime(23, 59, 59)) + 1;
    if (left < seconds) {
        QThread::msleep(static_cast<unsigned long>(left * 1000 + 1500));
    }
}

void runEventsFor(int milliseconds) {
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

QString decodePlayLog(const QByteArray& bytes) {
    if (bytes.size() < 2) {
        return {};
    }
    return QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.constData() + 2),
                              (bytes.size() - 2) / 2);
}

QStringList readPlayLogLines(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    QStringList lines = decodePlayLog(file.readAll()).split(QStringLiteral("\r\n"));
    if (!lines.isEmpty() && lines.last().isEmpty()) {
        lines.removeLast();
    }
    return lines;
}

EnvironmentGuard::EnvironmentGuard(const char* name, const QByteArray& value)
    : name_(name), previous_(qgetenv(name)), wasSet_(qEnvironmentVariableIsSet(name)) {
    qputenv(name, value);
}

EnvironmentGuard::~EnvironmentGuard() {
    if (wasSet_) {
        qputenv(name_.constData(), previous_);
    } else {
        qunsetenv(name_.constData());
    }
}
