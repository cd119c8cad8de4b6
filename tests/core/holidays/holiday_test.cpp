#include <gtest/gtest.h>
#include <QCryptographicHash>
#include <QtEndian>

#include "core/holidays/holiday_file.h"
#include "helpers/holiday_builders.h"
#include "helpers/temp_folder.h"

namespace {

QString holidayFileIn(const TempFolder& dir) {
    return dir.file(QStringLiteral("节假日和调休t"));
}

}  // namespace

TEST(HolidayFile, EmptyCalendarIsTwentyFourBytes) {
    TempFolder dir;
    QString message;
    ASSERT_TRUE(saveHolidayCalendar(dir.path(), HolidayCalendar(), true, message));
    const QByteArray zeros(8, '\0');
    EXPECT_EQ(readBytes(holidayFileIn(dir)),
              zeros + QCryptographicHash::hash(zeros, QCryptographicHash::Md5));
}

TEST(HolidayFile, RoundTripKeepsEveryField) {
    TempFolder dir;
    HolidayCalendar calendar;
    calendar.holidays.push_back(
        makeHoliday(QStringLiteral("劳动节 Labour"), {2024, 5, 1, 0, 2024, 5, 5, 24}));
    calendar.holidays.push_back(
        makeHoliday(QStringLiteral("x"), {2025, 1, 1, 7, 2025, 1, 1, 9}, true));
    calendar.adjustedDays.push_back(makeAdjustedDay({2024, 4, 28}, {2024, 5, 6}));
    QString message;
    ASSERT_TRUE(saveHolidayCalendar(dir.path(), calendar, true, message));
    const QByteArray bytes = readBytes(holidayFileIn(dir));
    ASSERT_EQ(bytes.size(), 24 + 2 * 164 + 156);
    EXPECT_EQ(qFromLittleEndian<qint32>(bytes.constData() + 4 + 164 + 128), 1);  // disabled
    EXPECT_EQ(qFromLittleEndian<qint32>(bytes.constData() + 4 + 164 + 144), 7);  // start hour
    EXPECT_EQ(qFromLittleEndian<qint32>(bytes.constData() + 4 + 328), 1);        // A
    EXPECT_EQ(qFromLittleEndian<qint32>(bytes.constData() + 8 + 328 + 20), 6);   // dateB day
    HolidayCalendar loaded;
    ASSERT_TRUE(loadHolidayCalendar(dir.path(), loaded, message)) << message.toStdString();
    ASSERT_EQ(loaded.holidays.size(), 2u);
    ASSERT_EQ(loaded.adjustedDays.size(), 1u);
    EXPECT_EQ(encodeHoliday(loaded.holidays[0]), encodeHoliday(calendar.holidays[0]));
    EXPECT_EQ(encodeHoliday(loaded.holidays[1]), encodeHoliday(calendar.holidays[1]));
    EXPECT_EQ(encodeAdjustedDay(loaded.adjustedDays[0]),
              encodeAdjustedDay(calendar.adjustedDays[0]));
}

TEST(HolidayFile, BadCountsRecordsOrDigestEmptyBothLists) {
    TempFolder dir;
    HolidayCalendar calendar;
    calendar.holidays.push_back(makeHoliday(QStringLiteral("a"), {2024, 5, 1, 0, 2024, 5, 5, 24}));
    calendar.adjustedDays.push_back(makeAdjustedDay({2024, 4, 28}, {2024, 5, 6}));
    QString message;
    ASSERT_TRUE(saveHolidayCalendar(dir.path(), calendar, true, message));
    const QByteArray good = readBytes(holidayFileIn(dir));
    const QString contentError =
        QStringLiteral("读文件失败：\n%1\n\n文件内容有错误").arg(holidayFileIn(dir));

    auto expectRejected = [&](QByteArray bytes, bool fixDigest) {
        if (fixDigest) {
            bytes = bytes.left(bytes.size() - 16);
            bytes += QCryptographicHash::hash(bytes, QCryptographicHash::Md5);
        }
        writeBytes(holidayFileIn(dir), bytes);
        HolidayCalendar loaded;
        EXPECT_FALSE(loadHolidayCalendar(dir.path(), loaded, message));
        EXPECT_TRUE(loaded.holidays.empty());
        EXPECT_TRUE(loaded.adjustedDays.empty());
        EXPECT_EQ(message, contentError);
    };
    QByteArray count129 = good;
    qToLittleEndian<quint32>(129, count129.data());
    expectRejected(count129, true);
    QByteArray adjusted129 = good;
    qToLittleEndian<quint32>(129, adjusted129.data() + 4 + 164);
    expectRejected(adjusted129, true);
    QByteArray changed = good;
    changed[10] = static_cast<char>(changed[10] ^ 1);
    expectRejected(changed, false);
    QByteArray badDateB = good;
    qToLittleEndian<qint32>(2, badDateB.data() + 8 + 164 + 16);   // February 6 -> ok
    qToLittleEndian<qint32>(30, badDateB.data() + 8 + 164 + 20);  // February 30
    expectRejected(badDateB, true);
    QByteArray equalRange = good;
    for (int i = 0; i < 4; ++i) {
        qToLittleEndian<qint32>(qFromLittleEndian<qint32>(good.constData() + 4 + 132 + 4 * i),
                                equalRange.data() + 4 + 148 + 4 * i);
    }
    expectRejected(equalRange, true);
}

TEST(HolidayCalendar, HolidayQueries) {
    HolidayCalendar calendar;
    calendar.holidays.push_back(
        makeHoliday(QStringLiteral("off"), {2024, 5, 1, 0, 2024, 5, 3, 24}, true));
    calendar.holidays.push_back(
        makeHoliday(QStringLiteral("Labour"), {2024, 5, 1, 0, 2024, 5, 3, 24}));
    EXPECT_TRUE(calendar.isInHoliday(makeDateTime(2024, 5, 1, 0, 0, 0)));
    EXPECT_TRUE(calendar.isInHoliday(makeDateTime(2024, 5, 3, 23, 59, 59)));
    EXPECT_FALSE(calendar.isInHoliday(makeDateTime(2024, 5, 4, 0, 0, 0)));
    EXPECT_EQ(calendar.findHolidayByName(QStringLiteral("labour")), 1);
    EXPECT_EQ(calendar.findHolidayByName(QStringLiteral("Labo")), -1);
    calendar.holidays.erase(calendar.holidays.begin() + 1);
    EXPECT_FALSE(calendar.isInHoliday(makeDateTime(2024, 5, 2, 12, 0, 0)));
}

TEST(HolidayCalendar, AdjustedDateSkipsDisabledAndInvalidEntries) {
    HolidayCalendar calendar;
    calendar.adjustedDays.push_back(makeAdjustedDay({2018, 4, 28}, {2018, 4, 29}, true));
    calendar.adjustedDays.push_back(makeAdjustedDay({2018, 4, 28}, {2018, 2, 30}));
    const LocalDateTime morning = makeDateTime(2018, 4, 28, 7, 30, 0, 250);
    EXPECT_EQ(calendar.adjustedDate(morning), morning);
    calendar.adjustedDays.push_back(makeAdjustedDay({2018, 4, 28}, {2018, 4, 30}));
    const LocalDateTime moved = calendar.adjustedDate(morning);
    EXPECT_EQ(moved, makeDateTime(2018, 4, 30, 7, 30, 0, 250));
    EXPECT_EQ(moved.dayOfWeek, 1);
    EXPECT_EQ(calendar.adjustedDate(makeDateTime(2018, 4, 29, 7, 30, 0)),
              makeDateTime(2018, 4, 29, 7, 30, 0));
    EXPECT_EQ(calendar.findAdjustedDayByDateA(2018, 4, 28), 0);
    EXPECT_EQ(calendar.findAdjustedDayByDateA(2018, 4, 27), -1);
}

TEST(HolidayCalendar, SortsAscendingAndSkipSingleEntries) {
    HolidayCalendar calendar;
    calendar.holidays.push_back(makeHoliday(QStringLiteral("b"), {2024, 5, 1, 8, 2024, 5, 3, 24}));
    EXPECT_FALSE(calendar.sortHolidaysByName());
    calendar.holidays.push_back(makeHoliday(QStringLiteral("A"), {2024, 5, 1, 7, 2024, 5, 2, 24}));
    calendar.holidays.push_back(
        makeHoliday(QStringLiteral("c"), {2023, 12, 31, 0, 2024, 1, 1, 24}));
    ASSERT_TRUE(calendar.sortHolidaysByName());
    EXPECT_EQ(holidayName(calendar.holidays[0]), QStringLiteral("A"));
    ASSERT_TRUE(calendar.sortHolidaysByStart());
    EXPECT_EQ(holidayName(calendar.holidays[0]), QStringLiteral("c"));
    EXPECT_EQ(holidayName(calendar.holidays[1]), QStringLiteral("A"));
    calendar.adjustedDays.push_back(makeAdjustedDay({2024, 9, 1}, {2024, 9, 2}));
    calendar.adjustedDays.push_back(makeAdjustedDay({2024, 2, 1}, {2024, 2, 2}));
    ASSERT_TRUE(calendar.sortAdjustedDaysByDateA());
    EXPECT_EQ(calendar.adjustedDays[0].dateA.month, 2);
}
