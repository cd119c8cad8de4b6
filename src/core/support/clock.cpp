#include "core/support/clock.h"

#include <QDateTime>
#include <chrono>
#include <thread>

void preciseSleep(int milliseconds) {
    if (milliseconds <= 0) {
        std::this_thread::yield();
        return;
    }
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    std::this_thread::sleep_until(until);
}

LocalDateTime SystemClock::now() const {
    const QDateTime now = QDateTime::currentDateTime();
    const QDate date = now.date();
    const QTime time = now.time();
    LocalDateTime t;
    t.year = static_cast<quint16>(date.year());
    t.month = static_cast<quint16>(date.month());
    t.day = static_cast<quint16>(date.day());
    t.dayOfWeek = static_cast<quint16>(date.dayOfWeek() % 7);
    t.hour = static_cast<quint16>(time.hour());
    t.minute = static_cast<quint16>(time.minute());
    t.second = static_cast<quint16>(time.second());
    t.millisecond = static_cast<quint16>(time.msec());
    return t;
}

LocalDateTime wholeSecond(LocalDateTime t) {
    t.millisecond = 0;
    return t;
}
