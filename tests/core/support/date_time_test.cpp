#include <gtest/gtest.h>

#include "core/support/date_time.h"

namespace {

LocalDateTime at(int y, int mo, int d, int h, int mi, int s, int ms = 0) {
    return makeDateTime(y, mo, d, h, mi, s, ms);
}

}  // namespace

TEST(DateTime, TicksCountFrom1601) {
    EXPECT_EQ(dateTimeTicks(at(1970, 1, 1, 0, 0, 0)), 116444736000000000LL);
    EXPECT_EQ(dateTimeTicks(at(2000, 1, 1, 0, 0, 0)), 125911584000000000LL);
    EXPECT_EQ(dateTimeTicks(at(1601, 1, 2, 0, 0, 0)), 864000000000LL);
    // Impossible values count as 0.
    EXPECT_EQ(dateTimeTicks(at(2023, 2, 29, 0, 0, 0)), 0);
    EXPECT_EQ(dateTimeTicks(at(2024, 1, 1, 24, 0, 0)), 0);
    EXPECT_EQ(dateTimeTicks(at(2024, 1, 1, 0, 0, 0, 1000)), 0);
    const LocalDateTime back = dateTimeFromTicks(dateTimeTicks(at(2026, 3, 2, 7, 55, 1, 250)));
    EXPECT_EQ(back, at(2026, 3, 2, 7, 55, 1, 250));
    EXPECT_EQ(back.dayOfWeek, 1);
}

TEST(DateTime, SecondsBetweenTruncatesTowardZero) {
    EXPECT_EQ(secondsBetween(at(2024, 5, 1, 8, 0, 0, 900), at(2024, 5, 1, 8, 0, 0, 0)), 0);
    EXPECT_EQ(secondsBetween(at(2024, 5, 1, 7, 59, 59, 100), at(2024, 5, 1, 8, 0, 0, 0)), 0);
    EXPECT_EQ(secondsBetween(at(2024, 5, 1, 7, 59, 58, 900), at(2024, 5, 1, 8, 0, 0, 0)), -1);
    EXPECT_EQ(secondsBetween(at(2024, 5, 2, 0, 0, 0), at(2024, 5, 1, 0, 0, 0)), 86400);
}

TEST(DateTime, AddSecondsDropsMillisecondsAndRecomputesWeekday) {
    const LocalDateTime t = addSeconds(at(2024, 2, 28, 23, 59, 59, 750), 2);
    EXPECT_EQ(t, at(2024, 2, 29, 0, 0, 1, 0));
    EXPECT_EQ(t.dayOfWeek, 4);  // Thursday
    LocalDateTime wrongWeekday = at(2024, 12, 31, 23, 0, 0);
    wrongWeekday.dayOfWeek = 6;
    const LocalDateTime next = addSeconds(wrongWeekday, 3600);
    EXPECT_EQ(next, at(2025, 1, 1, 0, 0, 0));
    EXPECT_EQ(next.dayOfWeek, 3);
}

TEST(DateTime, CompareIncludesMillisecondsButIgnoresWeekday) {
    EXPECT_EQ(compareDateTimes(at(2024, 1, 1, 0, 0, 0, 1), at(2024, 1, 1, 0, 0, 0, 0)), 1);
    EXPECT_EQ(compareDateTimes(at(2023, 12, 31, 23, 59, 59), at(2024, 1, 1, 0, 0, 0)), -1);
    LocalDateTime a = at(2024, 1, 1, 0, 0, 0);
    LocalDateTime b = a;
    b.dayOfWeek = 5;
    EXPECT_EQ(compareDateTimes(a, b), 0);
}

TEST(Calendar, ValidDatesAndLeapYears) {
    EXPECT_FALSE(isValidDate(2100, 2, 29));
    EXPECT_TRUE(isValidDate(2000, 2, 29));
    EXPECT_TRUE(isValidDate(2024, 2, 29));
    EXPECT_FALSE(isValidDate(1852, 12, 31));
    EXPECT_TRUE(isValidDate(1853, 1, 1));
    EXPECT_TRUE(isValidDate(9999, 12, 31));
    EXPECT_FALSE(isValidDate(10000, 1, 1));
    EXPECT_FALSE(isValidDate(2024, 4, 31));
    EXPECT_FALSE(isValidDate(2024, 13, 1));
    EXPECT_FALSE(isValidDate(2024, 1, 0));
}

TEST(Calendar, DayOfWeekMatchesTheCalendar) {
    EXPECT_EQ(dayOfWeek(2018, 4, 28), 6);
    EXPECT_EQ(dayOfWeek(2018, 4, 30), 1);
    EXPECT_EQ(dayOfWeek(2024, 1, 1), 1);
    EXPECT_EQ(dayOfWeek(2024, 2, 29), 4);
    EXPECT_EQ(dayOfWeek(2000, 1, 1), 6);
    EXPECT_EQ(dayOfWeek(2023, 2, 29), -1);
    // The formula and the tick arithmetic agree on every day of a few centuries.
    for (int y = 1900; y <= 2200; y += 7) {
        for (int m = 1; m <= 12; ++m) {
            for (int d = 1; d <= daysInMonth(y, m); ++d) {
                ASSERT_EQ(dayOfWeek(y, m, d),
                          dateTimeFromTicks(dateTimeTicks(at(y, m, d, 0, 0, 0))).dayOfWeek)
                    << y << '-' << m << '-' << d;
            }
        }
    }
}

TEST(DateHourRange, ValidityNeedsValidDatesHoursAndOrder) {
    EXPECT_TRUE(isValidDateHourRange({2024, 5, 1, 0, 2024, 5, 3, 24}));
    EXPECT_FALSE(isValidDateHourRange({2024, 5, 1, 8, 2024, 5, 1, 8}));
    EXPECT_TRUE(isValidDateHourRange({2024, 5, 1, 8, 2024, 5, 1, 9}));
    EXPECT_FALSE(isValidDateHourRange({2024, 5, 1, 25, 2024, 5, 3, 0}));
    EXPECT_FALSE(isValidDateHourRange({2024, 5, 1, -1, 2024, 5, 3, 0}));
    EXPECT_FALSE(isValidDateHourRange({2024, 5, 3, 0, 2024, 5, 1, 0}));
    EXPECT_FALSE(isValidDateHourRange({2024, 2, 30, 0, 2024, 5, 1, 0}));
    // Hour 24 of one day and hour 0 of the next are different texts, and so different ends.
    EXPECT_TRUE(isValidDateHourRange({2024, 5, 1, 24, 2024, 5, 2, 0}));
}

TEST(DateHourRange, PositionCountsWholeMinutes) {
    const DateHourRange holiday{2024, 5, 1, 0, 2024, 5, 3, 24};
    EXPECT_EQ(dateHourPosition(holiday, at(2024, 4, 30, 23, 59, 59)), -1);
    EXPECT_EQ(dateHourPosition(holiday, at(2024, 5, 1, 0, 0, 0)), 0);
    EXPECT_EQ(dateHourPosition(holiday, at(2024, 5, 3, 23, 59, 59)), 0);
    EXPECT_EQ(dateHourPosition(holiday, at(2024, 5, 4, 0, 0, 0)), 1);
    const DateHourRange untilSix{2024, 1, 1, 0, 2024, 6, 30, 18};
    EXPECT_EQ(dateHourPosition(untilSix, at(2024, 6, 30, 18, 0, 0)), 0);
    EXPECT_EQ(dateHourPosition(untilSix, at(2024, 6, 30, 18, 0, 59)), 0);
    EXPECT_EQ(dateHourPosition(untilSix, at(2024, 6, 30, 18, 1, 0)), 1);
}

TEST(DateTime, NeverIsNoonOfTheFirstDayOf2000) {
    const LocalDateTime never = neverDateTime();
    EXPECT_EQ(never.year, 2000);
    EXPECT_EQ(never.hour, 12);
    EXPECT_EQ(never.dayOfWeek, 6);
    EXPECT_EQ(never.millisecond, 0);
}
