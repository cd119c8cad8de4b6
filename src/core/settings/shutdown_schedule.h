#pragma once

#include <QString>
#include <optional>

#include "core/settings/system_settings.h"
#include "core/support/date_time.h"

// What a countdown ends in.
enum class ShutdownMode { Shutdown, Restart };

// The three schedules, in the order they are checked.
enum class ShutdownSchedule { Daily, Weekly, Restart };
constexpr ShutdownSchedule kShutdownSchedules[] = {
    ShutdownSchedule::Daily, ShutdownSchedule::Weekly, ShutdownSchedule::Restart};

// A schedule's fields in the settings record; `days` is null for the daily one.
struct ScheduleFields {
    qint32* enabled;
    ClockTime* time;
    qint32* days;
};
ScheduleFields scheduleFields(SystemSettings& settings, ShutdownSchedule schedule);

// For each schedule the moment it last fired for; neverDateTime() when it has not. Kept in
// memory only.
struct ShutdownMarks {
    LocalDateTime lastDailyShutdown = neverDateTime();
    LocalDateTime lastWeeklyShutdown = neverDateTime();
    LocalDateTime lastRestart = neverDateTime();

    LocalDateTime& of(ShutdownSchedule schedule);
};

// A schedule fires within 15 seconds after its time, once for a given day and time.
constexpr int kShutdownWindowSeconds = 15;

// The countdown due at `now`, if any: daily before weekly before restart, at most one per
// call. The mark of a schedule that fires moves to today's time; a clock set back by more
// than the window re-arms it. The caller does not ask while a countdown is open.
std::optional<ShutdownMode> checkShutdownSchedules(const SystemSettings& settings,
                                                   ShutdownMarks& marks, const LocalDateTime& now);

// The row texts: "17:00:00", and "17:00:00 (周12345)" with the chosen days (1 = Monday),
// empty when no day is chosen.
QString scheduleText(const ClockTime& time, const qint32* days);

// Powers the machine off or restarts it. The program asks logind; tests record.
class SystemPower {
  public:
    virtual ~SystemPower() = default;
    // False with the system's words for the refusal.
    virtual bool powerOff(QString& error) = 0;
    virtual bool reboot(QString& error) = 0;
};

// Asks for the power-off or restart; false with the failure box's text.
bool shutdownOrRestart(ShutdownMode mode, SystemPower& power, QString& message);
