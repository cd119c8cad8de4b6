#pragma once

#include <gtest/gtest.h>
#include <QByteArray>
#include <QString>
#include <QStringList>

// Audio tests need the test sound server that scripts/with-test-services.sh starts (it sets
// KB_SOUND_SERVER=up once the server answers). Without it they fail: a skipped audio test
// would let a broken sound path pass unnoticed.
::testing::AssertionResult soundServerReady();

// ctest gives a test that plays sound one of the sound servers of tests/sound_servers.json
// (CTEST_RESOURCE_GROUP_0_SOUND=id:N,...). Server 0 is the default one; another is reached
// through PULSE_SERVER, which the program and tools the test starts inherit.
void useTheSoundServerGiven();

// How much longer than on an idle machine a wait may take here: the load average of the last
// minute per core, at least 1. Deadlines are a base (what an idle machine needs, with room)
// times this, read again as the wait goes on.
double machineBusyFactor();

// A test that needs the clock to stay on one date for a while waits out midnight instead of
// skipping.
void waitUntilTheDateHoldsFor(int seconds);

// Runs the event loop for a while (queued signals and timers are delivered meanwhile).
void runEventsFor(int milliseconds);

// The play log: UTF-16LE after its byte-order mark.
QString decodePlayLog(const QByteArray& bytes);
// Its lines without their line ends; empty when there is no log.
QStringList readPlayLogLines(const QString& path);

// Sets an environment variable for the life of the guard and restores it afterwards.
class EnvironmentGuard {
  public:
    EnvironmentGuard(const char* name, const QByteArray& value);
    ~EnvironmentGuard();
    EnvironmentGuard(const EnvironmentGuard&) = delete;
    EnvironmentGuard& operator=(const EnvironmentGuard&) = delete;

  private:
    QByteArray name_;
    QByteArray previous_;
    bool wasSet_;
};
