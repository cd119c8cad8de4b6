#include <gtest/gtest.h>

#include "core/support/date_text.h"

TEST(DateText, StartTimesShowFiveAndDots) {
    const ClockTime times[7] = {{8, 0, 0},  {12, 30, 0}, {13, 0, 5}, {14, 0, 0},
                                {15, 0, 0}, {16, 0, 0},  {17, 0, 0}};
    EXPECT_EQ(formatStartTimes(times, 1), QStringLiteral("08:00:00,"));
    EXPECT_EQ(formatStartTimes(times, 2), QStringLiteral("08:00:00,  12:30:00,"));
    EXPECT_EQ(formatStartTimes(times, 5),
              QStringLiteral("08:00:00,  12:30:00,  13:00:05,  14:00:00,  15:00:00,"));
    EXPECT_EQ(formatStartTimes(times, 7),
              QStringLiteral("08:00:00,  12:30:00,  13:00:05,  14:00:00,  15:00:00,  ..."));
    EXPECT_EQ(formatStartTimes(times, 0), QString());
}

TEST(DateText, DaysByWeekdayAndByMonthDay) {
    qint32 weekdays[7] = {1, 1, 1, 1, 1, 0, 0};
    qint32 monthDays[31] = {};
    EXPECT_EQ(formatDays(true, weekdays, monthDays), QStringLiteral("每周:12345"));
    EXPECT_EQ(formatDays(false, weekdays, monthDays), QString());
    monthDays[0] = 1;
    monthDays[14] = 7;
    EXPECT_EQ(formatDays(false, weekdays, monthDays), QStringLiteral("每月:1,15"));
    const qint32 none[7] = {};
    EXPECT_EQ(formatDays(true, none, monthDays), QStringLiteral("每周:"));
    const qint32 sunday[7] = {0, 0, 0, 0, 0, 0, 1};
    EXPECT_EQ(formatDays(true, sunday, monthDays), QStringLiteral("每周:7"));
}

TEST(DateText, RangesDurationsAndProgress) {
    EXPECT_EQ(formatDateHourRange({2000, 1, 1, 0, 2099, 12, 31, 24}),
              QStringLiteral("2000-01-01 00:00 ~ 2099-12-31 24:00"));
    EXPECT_EQ(formatMinSec(-1), QString());
    EXPECT_EQ(formatMinSec(0), QStringLiteral("00:00"));
    EXPECT_EQ(formatMinSec(185'999), QStringLiteral("03:05"));
    EXPECT_EQ(formatMinSec(7'200'000), QStringLiteral("120:00"));
    EXPECT_EQ(formatProgress(600, 65), QStringLiteral("01:05 / 10:00"));
    EXPECT_EQ(formatProgress(600, 900), QStringLiteral("10:00 / 10:00"));
    EXPECT_EQ(formatProgress(600, -5), QStringLiteral("-00:05 / 10:00"));
    EXPECT_EQ(formatProgress(7200, 3600), QStringLiteral("60:00 / 120:00"));
    EXPECT_EQ(formatTimestamp(makeDateTime(2026, 3, 2, 7, 55, 0)),
              QStringLiteral("2026-03-02 07:55:00"));
}
