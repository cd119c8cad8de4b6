#include "core/settings/shutdown_schedule.h"

#include "core/support/clock.h"

namespace {

// A candidate is due at `now` when its time of day lies in the window before now, on a day
// the schedule names, and later than the moment it last fired for.
bool fires(const ClockTime& time, const qint32* days, LocalDateTime& mark,
           const LocalDateTime& now) {
    if (secondsBetween(now, mark) < -kShutdownWindowSeconds) {
        mark = neverDateTime();  // the clock was set back
    }
    // Sunday is 0 in the date, 6 in the flags.
    if (days != nullptr && days[(now.dayOfWeek + 6) % 7] == 0) {
        return false;
    }
    const int s = now.hour * 3600 + now.minute * 60 + now.second;
    const int t = secondsOfDay(time);
    if (s < t || s > t + kShutdownWindowSeconds) {
        return false;
    }
    const LocalDateTime candidate =
        makeDateTime(now.year, now.month, now.day, time.hour, time.minute, time.second);
    if (compareDateTimes(candidate, mark) <= 0) {
        return false;
    }
    mark = candidate;
    return true;
}

}  // namespace

ScheduleFields scheduleFields(SystemSettings& s, ShutdownSchedule schedule) {
    switch (schedule) {
        case ShutdownSchedule::Daily:
            return {&s.dailyShutdownEnabled, &s.dailyShutdownTime, nullptr};
        case ShutdownSchedule::Weekly:
            return {&s.weeklyShutdownEnabled, &s.weeklyShutdownTime, s.weeklyShutdownDays};
        case ShutdownSchedule::Restart:
            break;
    }
    return {&s.restartEnabled, &s.restartTime, s.restartDays};
}

LocalDateTime& ShutdownMarks::of(ShutdownSchedule schedule) {
    switch (schedule) {
        case ShutdownSchedule::Daily:
            return lastDailyShutdown;
        case ShutdownSchedule::Weekly:
            return lastWeeklyShutdown;
        case ShutdownSchedule::Restart:
            break;
    }
    return lastRestart;
}

std::optional<ShutdownMode> checkShutdownSchedules(const SystemSettings& settings,
                                                   ShutdownMarks& marks, const LocalDateTime& now) {
    const LocalDateTime n = wholeSecond(now);
    if (settings.dailyShutdownEnabled != 0 &&
        fires(settings.dailyShutdownTime, nullptr, marks.lastDailyShutdown, n)) {
        return ShutdownMode::Shutdown;
    }
    if (settings.weeklyShutdownEnabled != 0 &&
        fires(settings.weeklyShutdownTime, settings.weeklyShutdownDays, marks.lastWeeklyShutdown,
              n)) {
        return ShutdownMode::Shutdown;
    }
    if (settings.restartEnabled != 0 &&
        fires(settings.restartTime, settings.restartDays, marks.lastRestart, n)) {
        return ShutdownMode::Restart;
    }
    return std::nullopt;
}

QString scheduleText(const ClockTime& time, const qint32* days) {
    const QString clock =
        QString::asprintf("%.2d:%.2d:%.2d", int(time.hour), int(time.minute), int(time.second));
    if (days == nullptr) {
        return clock;
    }
    QString chosen;
    for (int i = 0; i < 7; ++i) {
        if (days[i] != 0) {
            chosen += QString::number(i + 1);
        }
    }
    return chosen.isEmpty() ? QString() : clock + QStringLiteral(" (周%1)").arg(chosen);
}

bool shutdownOrRestart(ShutdownMode mode, SystemPower& power, QString& message) {
    QString error;
    const bool restart = mode == ShutdownMode::Restart;
    if (restart ? power.reboot(error) : power.powerOff(error)) {
        return true;
    }
    message = (restart ? QStringLiteral("关机重启失败：\n%1\n\n技术支持 - 帮助栏里有联系方式")
                       : QStringLiteral("定时关机失败：\n%1\n\n技术支持 - 帮助栏里有联系方式"))
                  .arg(error);
    return false;
}
