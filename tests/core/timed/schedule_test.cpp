#include <gtest/gtest.h>

#include "core/timed/schedule.h"
#include "helpers/programme_builders.h"

namespace {

LocalDateTime momentAt(int y, int mo, int d, int h, int mi, int s) {
    return makeDateTime(y, mo, d, h, mi, s);
}

// Asks about a copy, so every moment sees the programme as given.
bool dueAt(Programme p, const LocalDateTime& moment, const HolidayCalendar& calendar = {}) {
    ProgrammeStatus status;
    LocalDateTime start;
    return isProgrammeDue(p, moment, calendar, status, start);
}

// Asks about the programme itself and records the start as the dispatcher does.
bool fire(Programme& p, const LocalDateTime& moment, const HolidayCalendar& calendar = {}) {
    ProgrammeStatus status;
    LocalDateTime start;
    if (!isProgrammeDue(p, moment, calendar, status, start)) {
        return false;
    }
    p.lastStartTime = start;
    return true;
}

}  // namespace

TEST(Schedule, CountedProgrammeStartsOnlyWithinFifteenSeconds) {
    const Programme bell = makeProgramme(QStringLiteral("bell"), {{8, 0, 0}});
    EXPECT_FALSE(dueAt(bell, momentAt(2024, 5, 6, 7, 59, 59)));
    for (int s = 0; s <= 15; ++s) {
        EXPECT_TRUE(dueAt(bell, momentAt(2024, 5, 6, 8, 0, s))) << s;
    }
    EXPECT_FALSE(dueAt(bell, momentAt(2024, 5, 6, 8, 0, 16)));
}

TEST(Schedule, SecondsProgrammeJoinsLateInsideItsWindow) {
    const Programme music = makeProgramme(QStringLiteral("music"), {{8, 0, 0}}, false, 600);
    EXPECT_TRUE(dueAt(music, momentAt(2024, 5, 6, 8, 7, 30)));
    EXPECT_TRUE(dueAt(music, momentAt(2024, 5, 6, 8, 10, 0)));
    EXPECT_FALSE(dueAt(music, momentAt(2024, 5, 6, 8, 10, 1)));
    // The window is not carried past midnight.
    const Programme late = makeProgramme(QStringLiteral("late"), {{23, 59, 0}}, false, 600);
    EXPECT_TRUE(dueAt(late, momentAt(2024, 5, 6, 23, 59, 59)));
    EXPECT_FALSE(dueAt(late, momentAt(2024, 5, 7, 0, 0, 30)));
}

TEST(Schedule, EachStartFiresOncePerDay) {
    Programme bell = makeProgramme(QStringLiteral("bell"), {{8, 0, 0}, {8, 0, 10}});
    ProgrammeStatus status;
    LocalDateTime start;
    ASSERT_TRUE(isProgrammeDue(bell, momentAt(2024, 5, 6, 8, 0, 0), {}, status, start));
    EXPECT_EQ(start, momentAt(2024, 5, 6, 8, 0, 0));
    bell.lastStartTime = start;
    EXPECT_FALSE(fire(bell, momentAt(2024, 5, 6, 8, 0, 5)));
    // The second start is its own start, ten seconds later.
    ASSERT_TRUE(isProgrammeDue(bell, momentAt(2024, 5, 6, 8, 0, 10), {}, status, start));
    EXPECT_EQ(start, momentAt(2024, 5, 6, 8, 0, 10));
    bell.lastStartTime = start;
    EXPECT_FALSE(fire(bell, momentAt(2024, 5, 6, 8, 0, 15)));
    EXPECT_TRUE(fire(bell, momentAt(2024, 5, 7, 8, 0, 3)));
}

TEST(Schedule, OverlappingSecondsWindowsFireInTurn) {
    Programme music = makeProgramme(QStringLiteral("music"), {{8, 0, 0}, {8, 5, 0}}, false, 3600);
    ProgrammeStatus status;
    LocalDateTime start;
    ASSERT_TRUE(isProgrammeDue(music, momentAt(2024, 5, 6, 8, 6, 0), {}, status, start));
    EXPECT_EQ(start, momentAt(2024, 5, 6, 8, 0, 0));
    music.lastStartTime = start;
    ASSERT_TRUE(isProgrammeDue(music, momentAt(2024, 5, 6, 8, 6, 0), {}, status, start));
    EXPECT_EQ(start, momentAt(2024, 5, 6, 8, 5, 0));
}

TEST(Schedule, ClockSetBackMoreThanFifteenSecondsForgetsTheLastStart) {
    Programme bell = makeProgramme(QStringLiteral("bell"), {{8, 0, 0}});
    ASSERT_TRUE(fire(bell, momentAt(2024, 5, 6, 8, 0, 0)));
    EXPECT_FALSE(fire(bell, momentAt(2024, 5, 6, 8, 0, 20)));
    EXPECT_FALSE(fire(bell, momentAt(2024, 5, 6, 7, 59, 50)));
    EXPECT_FALSE(fire(bell, momentAt(2024, 5, 6, 7, 59, 45)));  // exactly 15 seconds: kept
    EXPECT_EQ(bell.lastStartTime, momentAt(2024, 5, 6, 8, 0, 0));
    EXPECT_FALSE(fire(bell, momentAt(2024, 5, 6, 7, 59, 44)));
    EXPECT_EQ(bell.lastStartTime, neverDateTime());
    EXPECT_TRUE(fire(bell, momentAt(2024, 5, 6, 8, 0, 0)));
    // Disabled programmes are reset too.
    Programme off = bell;
    off.disabled = 1;
    ProgrammeStatus status;
    LocalDateTime start;
    EXPECT_FALSE(isProgrammeDue(off, momentAt(2024, 5, 6, 7, 0, 0), {}, status, start));
    EXPECT_EQ(off.lastStartTime, neverDateTime());
}

TEST(Schedule, AdjustedDayDecidesWeekdaysAndMonthDays) {
    Programme weekdays = makeProgramme(QStringLiteral("workdays"), {{7, 30, 0}});
    weekdays.weekdays[5] = 0;
    weekdays.weekdays[6] = 0;
    Programme thirtieth = makeProgramme(QStringLiteral("30th"), {{7, 30, 0}});
    thirtieth.byWeekday = 0;
    thirtieth.monthDays[29] = 1;
    const LocalDateTime saturday = momentAt(2018, 4, 28, 7, 30, 0);
    EXPECT_FALSE(dueAt(weekdays, saturday));
    EXPECT_FALSE(dueAt(thirtieth, saturday));
    HolidayCalendar calendar;
    AdjustedDay swap = blankAdjustedDay();
    swap.dateA = {2018, 4, 28};
    swap.dateB = {2018, 4, 30};
    calendar.adjustedDays.push_back(swap);
    EXPECT_TRUE(dueAt(weekdays, saturday, calendar));
    EXPECT_TRUE(dueAt(thirtieth, saturday, calendar));
    ProgrammeStatus status;
    LocalDateTime start;
    ASSERT_TRUE(isProgrammeDue(weekdays, saturday, calendar, status, start));
    EXPECT_EQ(start, saturday) << "the start keeps the real date";
    EXPECT_EQ(start.dayOfWeek, 6);
    calendar.adjustedDays[0].disabled = 1;
    EXPECT_FALSE(dueAt(weekdays, saturday, calendar));
}

TEST(Schedule, HolidaysSuppressEverythingThroughHour24) {
    const Programme bell = makeProgramme(QStringLiteral("bell"), {{23, 59, 59}, {0, 0, 0}});
    HolidayCalendar calendar;
    Holiday labour = blankHoliday();
    labour.range = DateHourRange{2024, 5, 1, 0, 2024, 5, 3, 24};
    calendar.holidays.push_back(labour);
    EXPECT_FALSE(dueAt(bell, momentAt(2024, 5, 1, 0, 0, 0), calendar));
    EXPECT_FALSE(dueAt(bell, momentAt(2024, 5, 3, 23, 59, 59), calendar));
    EXPECT_TRUE(dueAt(bell, momentAt(2024, 5, 4, 0, 0, 0), calendar));
    EXPECT_TRUE(dueAt(bell, momentAt(2024, 4, 30, 23, 59, 59), calendar));
    calendar.holidays[0].disabled = 1;
    EXPECT_TRUE(dueAt(bell, momentAt(2024, 5, 2, 0, 0, 0), calendar));
}

TEST(Schedule, DateRangeEndingAtHour18AndTheStatusText) {
    Programme p = makeProgramme(QStringLiteral("term"), {{18, 0, 0}, {7, 0, 0}});
    p.dateRange = DateHourRange{2024, 3, 1, 8, 2024, 6, 30, 18};
    ProgrammeStatus status;
    LocalDateTime start;
    EXPECT_TRUE(isProgrammeDue(p, momentAt(2024, 6, 30, 18, 0, 0), {}, status, start));
    EXPECT_EQ(status, ProgrammeStatus::Enabled);
    p.lastStartTime = neverDateTime();
    EXPECT_FALSE(isProgrammeDue(p, momentAt(2024, 6, 30, 18, 1, 0), {}, status, start));
    EXPECT_EQ(programmeStatusText(status), QStringLiteral("已过有效期"));
    EXPECT_FALSE(isProgrammeDue(p, momentAt(2024, 3, 1, 7, 0, 0), {}, status, start));
    EXPECT_EQ(programmeStatusText(status), QStringLiteral("未到有效期"));
    p.disabled = 1;
    EXPECT_FALSE(isProgrammeDue(p, momentAt(2024, 5, 1, 18, 0, 0), {}, status, start));
    EXPECT_EQ(status, ProgrammeStatus::Disabled);
    EXPECT_EQ(programmeStatusText(status), QStringLiteral("停用"));
}

TEST(Schedule, MonthDayProgrammeOnlyOnItsDays) {
    Programme p = makeProgramme(QStringLiteral("payday"), {{9, 0, 0}});
    p.byWeekday = 0;
    p.monthDays[14] = 1;
    EXPECT_TRUE(dueAt(p, momentAt(2024, 2, 15, 9, 0, 0)));
    EXPECT_FALSE(dueAt(p, momentAt(2024, 2, 16, 9, 0, 0)));
}
