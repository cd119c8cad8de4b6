#include <gtest/gtest.h>
#include <QStringList>
#include <algorithm>

#include <QCoreApplication>
#include <QElapsedTimer>

#include "core/settings/shutdown_scheduler.h"
#include "core/support/date_text.h"
#include "helpers/simulated_clock.h"

namespace {

constexpr int kTickMs = 500;
// The countdown's 60 steps of 950 ms.
constexpr qint64 kCountdownMs = 60 * 950;

LocalDateTime on(int day, int h, int m, int s, int ms = 0) {
    return makeDateTime(2026, 3, day, h, m, s, ms);  // 2026-03-02 is a Monday
}

QString stamp(const LocalDateTime& t) {
    return formatTimestamp(t);
}

// The settings page's half-second tick on a simulated clock. A countdown that opens stays
// open until the test's plan closes it (cancel after some time), or runs out.
class ScheduleTicks {
  public:
    ScheduleTicks() { settings = firstRunSettings(); }

    void start(const LocalDateTime& t) { clock.set(t); }
    // Ticks until the clock reaches the moment.
    void runUntil(const LocalDateTime& end) {
        while (compareDateTimes(clock.now(), end) < 0) {
            tick();
            clock.advanceMs(kTickMs);
        }
    }
    void tick() {
        if (countdownOpen_) {
            if (dateTimeTicks(clock.now()) >= closesAt_) {
                countdownOpen_ = false;
            } else {
                return;
            }
        }
        if (const std::optional<ShutdownMode> mode =
                checkShutdownSchedules(settings, marks, clock.now())) {
            fired.append(QStringLiteral("%1 %2").arg(stamp(wholeSecond(clock.now())),
                                                     *mode == ShutdownMode::Restart
                                                         ? QStringLiteral("restart")
                                                         : QStringLiteral("shutdown")));
            countdownOpen_ = true;
            closesAt_ = dateTimeTicks(clock.now()) + cancelAfterMs * 10'000;
        }
    }
    // Unticking and ticking a schedule's box: it may fire again.
    void retick(ShutdownSchedule schedule) { marks.of(schedule) = neverDateTime(); }

    SystemSettings settings;
    ShutdownMarks marks;
    SimulatedClock clock;
    QStringList fired;
    qint64 cancelAfterMs = kCountdownMs;

  private:
    bool countdownOpen_ = false;
    qint64 closesAt_ = 0;
};

void dailyAt(SystemSettings& s, ClockTime t) {
    s.dailyShutdownEnabled = 1;
    s.dailyShutdownTime = t;
}

}  // namespace

TEST(ShutdownSchedule, TheDailyWindowIsFifteenSecondsAfterTheTime) {
    {
        ScheduleTicks late;
        dailyAt(late.settings, {17, 0, 0});
        late.start(on(2, 17, 0, 10));
        late.runUntil(on(2, 17, 5, 0));
        EXPECT_EQ(late.fired, QStringList{QStringLiteral("2026-03-02 17:00:10 shutdown")});
    }
    {
        ScheduleTicks tooLate;
        dailyAt(tooLate.settings, {17, 0, 0});
        tooLate.start(on(2, 17, 0, 16));
        tooLate.runUntil(on(3, 17, 0, 30));
        EXPECT_EQ(tooLate.fired, QStringList{QStringLiteral("2026-03-03 17:00:00 shutdown")})
            << "nothing on the day it started";
    }
}

TEST(ShutdownSchedule, ACancelledCountdownEndsTheDayUnlessTheBoxIsTickedAgain) {
    ScheduleTicks ticks;
    dailyAt(ticks.settings, {17, 0, 0});
    ticks.cancelAfterMs = 5000;
    ticks.start(on(2, 16, 59, 0));
    ticks.runUntil(on(2, 17, 0, 8));
    ticks.runUntil(on(2, 23, 59, 59));
    EXPECT_EQ(ticks.fired, QStringList{QStringLiteral("2026-03-02 17:00:00 shutdown")});

    ScheduleTicks again;
    dailyAt(again.settings, {17, 0, 0});
    again.cancelAfterMs = 5000;
    again.start(on(2, 16, 59, 0));
    again.runUntil(on(2, 17, 0, 8));
    again.retick(ShutdownSchedule::Daily);
    again.runUntil(on(2, 17, 1, 0));
    EXPECT_EQ(again.fired, (QStringList{QStringLiteral("2026-03-02 17:00:00 shutdown"),
                                        QStringLiteral("2026-03-02 17:00:08 shutdown")}));
}

TEST(ShutdownSchedule, AClockSetBackRearmsOnlyBeyondTheWindow) {
    ScheduleTicks far;
    dailyAt(far.settings, {17, 0, 0});
    far.cancelAfterMs = 1000;
    far.start(on(2, 16, 59, 0));
    far.runUntil(on(2, 17, 5, 0));
    far.clock.set(on(2, 16, 58, 0));
    far.runUntil(on(2, 17, 5, 0));
    EXPECT_EQ(far.fired, (QStringList{QStringLiteral("2026-03-02 17:00:00 shutdown"),
                                      QStringLiteral("2026-03-02 17:00:00 shutdown")}));

    ScheduleTicks near;
    dailyAt(near.settings, {17, 0, 0});
    near.cancelAfterMs = 1000;
    near.start(on(2, 16, 59, 0));
    near.runUntil(on(2, 17, 5, 0));
    near.clock.set(on(2, 16, 59, 50));  // ten seconds before the mark
    near.runUntil(on(2, 23, 0, 0));
    EXPECT_EQ(near.fired, QStringList{QStringLiteral("2026-03-02 17:00:00 shutdown")});
}

TEST(ShutdownSchedule, AWeekOfTicksFiresOnTheChosenDaysOnly) {
    ScheduleTicks ticks;
    ticks.settings.weeklyShutdownEnabled = 1;
    ticks.settings.weeklyShutdownTime = {17, 30, 0};
    for (int d = 0; d < 7; ++d) {
        ticks.settings.weeklyShutdownDays[d] = d < 5 ? 1 : 0;
    }
    ticks.settings.restartEnabled = 1;
    ticks.settings.restartTime = {6, 0, 0};
    ticks.settings.restartDays[6] = 1;  // Sunday
    ticks.start(on(2, 0, 0, 0));
    ticks.runUntil(on(9, 0, 0, 0));
    EXPECT_EQ(ticks.fired, (QStringList{
                               QStringLiteral("2026-03-02 17:30:00 shutdown"),
                               QStringLiteral("2026-03-03 17:30:00 shutdown"),
                               QStringLiteral("2026-03-04 17:30:00 shutdown"),
                               QStringLiteral("2026-03-05 17:30:00 shutdown"),
                               QStringLiteral("2026-03-06 17:30:00 shutdown"),
                               QStringLiteral("2026-03-08 06:00:00 restart"),
                           }));
}

TEST(ShutdownSchedule, WeeklyWithoutADayShowsNoTextAndNeverFires) {
    ScheduleTicks ticks;
    ticks.settings.weeklyShutdownEnabled = 1;
    ticks.settings.weeklyShutdownTime = {12, 0, 0};
    std::fill(std::begin(ticks.settings.weeklyShutdownDays),
              std::end(ticks.settings.weeklyShutdownDays), 0);
    EXPECT_EQ(scheduleText(ticks.settings.weeklyShutdownTime, ticks.settings.weeklyShutdownDays),
              QString());
    ticks.start(on(2, 0, 0, 0));
    ticks.runUntil(on(9, 0, 0, 0));
    EXPECT_TRUE(ticks.fired.isEmpty());
}

TEST(ShutdownSchedule, DailyGoesFirstAndTheRestartWaitsForTheCountdown) {
    for (const qint64 cancelMs : {10'000, 20'000}) {
        ScheduleTicks ticks;
        dailyAt(ticks.settings, {17, 0, 0});
        ticks.settings.restartEnabled = 1;
        ticks.settings.restartTime = {17, 0, 0};
        ticks.settings.restartDays[0] = 1;  // Monday, today
        ticks.cancelAfterMs = cancelMs;
        ticks.start(on(2, 16, 59, 59));
        ticks.runUntil(on(2, 18, 0, 0));
        if (cancelMs == 10'000) {
            EXPECT_EQ(ticks.fired, (QStringList{QStringLiteral("2026-03-02 17:00:00 shutdown"),
                                                QStringLiteral("2026-03-02 17:00:10 restart")}));
        } else {
            EXPECT_EQ(ticks.fired, QStringList{QStringLiteral("2026-03-02 17:00:00 shutdown")})
                << "cancelled after the restart's window";
        }
    }
}

TEST(ShutdownSchedule, AWindowNearMidnightIsNotCarriedIntoTheNextDay) {
    ScheduleTicks ticks;
    dailyAt(ticks.settings, {23, 59, 50});
    ticks.start(on(2, 23, 59, 59));
    ticks.runUntil(on(3, 0, 0, 10));
    EXPECT_EQ(ticks.fired, QStringList{QStringLiteral("2026-03-02 23:59:59 shutdown")});
    ScheduleTicks missed;
    dailyAt(missed.settings, {23, 59, 50});
    missed.start(on(3, 0, 0, 1));
    missed.runUntil(on(3, 0, 1, 0));
    EXPECT_TRUE(missed.fired.isEmpty());
}

TEST(ShutdownSchedule, RowTextsAndFailureTexts) {
    const qint32 weekdays[7] = {1, 1, 1, 1, 1, 0, 0};
    const qint32 sunday[7] = {0, 0, 0, 0, 0, 0, 7};
    EXPECT_EQ(scheduleText({17, 0, 0}, nullptr), QStringLiteral("17:00:00"));
    EXPECT_EQ(scheduleText({7, 5, 9}, weekdays), QStringLiteral("07:05:09 (周12345)"));
    EXPECT_EQ(scheduleText({0, 0, 0}, sunday), QStringLiteral("00:00:00 (周7)"));

    struct RefusingPower : SystemPower {
        bool powerOff(QString& error) override {
            error = QStringLiteral("Interactive authentication required.");
            return false;
        }
        bool reboot(QString& error) override { return powerOff(error); }
    } refusing;
    QString message;
    EXPECT_FALSE(shutdownOrRestart(ShutdownMode::Shutdown, refusing, message));
    EXPECT_EQ(message, QStringLiteral("定时关机失败：\nInteractive authentication required.\n\n"
                                      "技术支持 - 帮助栏里有联系方式"));
    EXPECT_FALSE(shutdownOrRestart(ShutdownMode::Restart, refusing, message));
    EXPECT_TRUE(message.startsWith(QStringLiteral("关机重启失败：\nInteractive")));
}

namespace {

struct AnsweringPower : SystemPower {
    bool powerOff(QString& error) override { return answer(QStringLiteral("PowerOff"), error); }
    bool reboot(QString& error) override { return answer(QStringLiteral("Reboot"), error); }
    bool answer(const QString& call, QString& error) {
        calls.append(call);
        error = refusal;
        return refusal.isEmpty();
    }
    QStringList calls;
    QString refusal;
};

}  // namespace

// Without a window nobody opens a dialog: the scheduler counts the 60 steps itself.
TEST(ShutdownScheduler, ADueScheduleCountsDownByItselfAndAsksTheSystem) {
    struct Case {
        ShutdownSchedule schedule;
        QString refusal;
        bool cancelled;
        QStringList calls;
        QString failure;
    };
    const Case cases[] = {
        {ShutdownSchedule::Daily, QString(), false, {QStringLiteral("PowerOff")}, QString()},
        {ShutdownSchedule::Restart, QString(), false, {QStringLiteral("Reboot")}, QString()},
        {ShutdownSchedule::Daily,
         QStringLiteral("Access denied"),
         false,
         {QStringLiteral("PowerOff")},
         QStringLiteral("定时关机失败：\nAccess denied\n\n技术支持 - 帮助栏里有联系方式")},
        {ShutdownSchedule::Daily, QString(), true, {}, QString()},
    };
    for (const Case& c : cases) {
        SystemSettings settings = firstRunSettings();
        *scheduleFields(settings, c.schedule).enabled = 1;
        *scheduleFields(settings, c.schedule).time = {17, 0, 0};
        if (qint32* days = scheduleFields(settings, c.schedule).days) {
            std::fill(days, days + 7, 1);
        }
        SimulatedClock clock;
        clock.set(on(2, 17, 0, 3));
        AnsweringPower power;
        power.refusal = c.refusal;
        ShutdownScheduler scheduler(settings, clock, power);
        scheduler.setStepMs(1);
        QStringList seen;
        int goingDown = 0;
        QObject::connect(&scheduler, &ShutdownScheduler::countdownStep,
                         [&](int remaining) { seen.append(QString::number(remaining)); });
        QObject::connect(&scheduler, &ShutdownScheduler::countdownEnded,
                         [&](bool, const QString& failure) { seen.append(failure); });
        QObject::connect(&scheduler, &ShutdownScheduler::systemGoingDown, [&] { ++goingDown; });
        scheduler.tick();
        ASSERT_TRUE(scheduler.isCountingDown());
        if (c.cancelled) {
            scheduler.cancel();
        }
        QElapsedTimer waited;
        waited.start();
        while (scheduler.isCountingDown() && waited.elapsed() < 30'000) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        }
        EXPECT_EQ(power.calls, c.calls);
        EXPECT_EQ(goingDown, c.calls.isEmpty() || !c.refusal.isEmpty() ? 0 : 1);
        EXPECT_EQ(seen.value(seen.size() - 1), c.failure);
        if (!c.cancelled) {
            EXPECT_EQ(seen.size(), ShutdownScheduler::kSteps + 1) << "59 … 0, then the end";
            EXPECT_EQ(seen.value(seen.size() - 2), QStringLiteral("0"));
        }
        // Fired for today: the next ticks of its window do nothing.
        scheduler.tick();
        EXPECT_FALSE(scheduler.isCountingDown());
    }
}
