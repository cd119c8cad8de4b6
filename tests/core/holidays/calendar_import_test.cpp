#include <gtest/gtest.h>

#include "core/holidays/calendar_import.h"
#include "helpers/holiday_builders.h"
#include "helpers/temp_folder.h"

namespace {

// An iCalendar file of these event lines, each event's lines joined by '|'.
QString calendarFile(const TempFolder& folder, const QStringList& events) {
    QString text = QStringLiteral("BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//kb test//CN\r\n");
    int uid = 0;
    for (const QString& event : events) {
        text += QStringLiteral("BEGIN:VEVENT\r\nUID:%1@test\r\n").arg(++uid);
        text += event.split(u'|').join(QStringLiteral("\r\n"));
        text += QStringLiteral("\r\nEND:VEVENT\r\n");
    }
    text += QStringLiteral("END:VCALENDAR\r\n");
    const QString path = folder.file(QStringLiteral("holidays.ics"));
    writeBytes(path, text.toUtf8());
    return path;
}

std::vector<CalendarEvent> eventsOf(const QString& path) {
    std::vector<CalendarEvent> events;
    QString message;
    EXPECT_TRUE(readCalendarEvents(path, events, message)) << message.toStdString();
    return events;
}

QStringList holidayRows(const HolidayCalendar& calendar) {
    QStringList rows;
    for (const Holiday& h : calendar.holidays) {
        const DateHourRange& r = h.range;
        rows.append(QString::asprintf("%04d-%02d-%02d %02d ~ %04d-%02d-%02d %02d ", r.startYear,
                                      r.startMonth, r.startDay, r.startHour, r.endYear, r.endMonth,
                                      r.endDay, r.endHour) +
                    holidayName(h));
    }
    return rows;
}

// The year 2025 as the State Council's notice has it, in the shapes feeds use.
const QStringList k2025 = {
    QStringLiteral("DTSTART;VALUE=DATE:20250128|DTEND;VALUE=DATE:20250205|SUMMARY:春节"),
    QStringLiteral("DTSTART;VALUE=DATE:20250126|SUMMARY:上班"),
    QStringLiteral("DTSTART;VALUE=DATE:20250208|DTEND;VALUE=DATE:20250209|SUMMARY:补班"),
    QStringLiteral("DTSTART;VALUE=DATE:20250501|DTEND;VALUE=DATE:20250506|SUMMARY:劳动节假期"),
    // A long line folded by the feed.
    QStringLiteral("DTSTART;VALUE=DATE:20250427|DTEND;VALUE=DATE:20250428|SUMMARY:上班(补劳| "
                   "动节假期)"),
    QStringLiteral("DTSTART:20250915T083000|DTEND:20250915T111500|SUMMARY:运动会\\, 停课"),
    QStringLiteral("DTSTART;VALUE=DATE:20251001|STATUS:CANCELLED|SUMMARY:已取消的假期"),
};

}  // namespace

TEST(CalendarImport, AllDayFoldedAndTimedEventsBecomeHolidaysAndAdjustedDays) {
    TempFolder folder;
    const CalendarImport import =
        proposeCalendarImport(eventsOf(calendarFile(folder, k2025)), HolidayCalendar());
    EXPECT_EQ(holidayRows(import.additions),
              (QStringList{QStringLiteral("2025-01-28 00 ~ 2025-02-04 24 春节"),
                           QStringLiteral("2025-05-01 00 ~ 2025-05-05 24 劳动节假期"),
                           QStringLiteral("2025-09-15 08 ~ 2025-09-15 12 运动会, 停课")}));
    // Each worked day takes the last Monday-Friday dates of the holiday it makes up for.
    EXPECT_EQ(adjustedDayLines(import.additions),
              (QStringList{QStringLiteral("调休 2025-01-26 (周7) 按 2025-02-03 (周1)"),
                           QStringLiteral("调休 2025-02-08 (周6) 按 2025-02-04 (周2)"),
                           QStringLiteral("调休 2025-04-27 (周7) 按 2025-05-05 (周1)")}));
    EXPECT_EQ(fieldText(import.additions.adjustedDays[2].remark),
              QStringLiteral("上班(补劳动节假期)"));
    EXPECT_EQ(calendarImportSummary(import),
              QStringLiteral("导入完成: 节假日 3 个 (跳过 0 个), 调休 3 个 (跳过 0 个)"));
}

TEST(CalendarImport, TheHolidayNamedInTheWorkedDayWinsOverTheNearestOne) {
    TempFolder folder;
    const QStringList events = {
        QStringLiteral("DTSTART;VALUE=DATE:20260925|DTEND;VALUE=DATE:20260928|SUMMARY:中秋节"),
        QStringLiteral("DTSTART;VALUE=DATE:20261001|DTEND;VALUE=DATE:20261008|SUMMARY:国庆节"),
        QStringLiteral("DTSTART;VALUE=DATE:20260919|SUMMARY:补班"),
        QStringLiteral("DTSTART;VALUE=DATE:20260920|SUMMARY:国庆节 上班"),
        QStringLiteral("DTSTART;VALUE=DATE:20261010|SUMMARY:国庆节 上班"),
    };
    const CalendarImport import =
        proposeCalendarImport(eventsOf(calendarFile(folder, events)), HolidayCalendar());
    // 09-20 is nearer the Mid-Autumn holiday but says it works for National Day.
    EXPECT_EQ(adjustedDayLines(import.additions),
              (QStringList{QStringLiteral("调休 2026-09-19 (周6) 按 2026-09-25 (周5)"),
                           QStringLiteral("调休 2026-09-20 (周7) 按 2026-10-06 (周2)"),
                           QStringLiteral("调休 2026-10-10 (周6) 按 2026-10-07 (周3)")}));
}

TEST(CalendarImport, ASecondImportAddsNothingAndATakenNameGetsTheYear) {
    TempFolder folder;
    HolidayCalendar calendar;
    calendar.holidays.push_back(
        makeHoliday(QStringLiteral("元旦"), {2025, 1, 1, 0, 2025, 1, 1, 24}));
    calendar.adjustedDays.push_back(makeAdjustedDay({2026, 1, 4}, {2026, 1, 2}));
    const QStringList events = {
        QStringLiteral("DTSTART;VALUE=DATE:20250101|SUMMARY:元旦"),
        QStringLiteral("DTSTART;VALUE=DATE:20260101|DTEND;VALUE=DATE:20260102|SUMMARY:元旦"),
        QStringLiteral("DTSTART;VALUE=DATE:20260102|DTEND;VALUE=DATE:20260104|SUMMARY:元旦"),
        QStringLiteral("DTSTART;VALUE=DATE:20260104|SUMMARY:元旦 补班"),
        // A feed that gives each day of a holiday as an event.
        QStringLiteral("DTSTART;VALUE=DATE:20261001|SUMMARY:国庆节"),
        QStringLiteral("DTSTART;VALUE=DATE:20261002|SUMMARY:国庆节"),
        QStringLiteral("DTSTART;VALUE=DATE:20261003|SUMMARY:国庆节"),
        QStringLiteral("DTSTART;VALUE=DATE:20260926|SUMMARY:国庆节 上班"),
    };
    const std::vector<CalendarEvent> parsed = eventsOf(calendarFile(folder, events));
    CalendarImport first = proposeCalendarImport(parsed, calendar);
    EXPECT_EQ(holidayRows(first.additions),
              (QStringList{QStringLiteral("2026-01-01 00 ~ 2026-01-03 24 元旦 2026"),
                           QStringLiteral("2026-10-01 00 ~ 2026-10-03 24 国庆节")}));
    EXPECT_EQ(adjustedDayLines(first.additions),
              QStringList{QStringLiteral("调休 2026-09-26 (周6) 按 2026-10-02 (周5)")});
    EXPECT_EQ(calendarImportSummary(first),
              QStringLiteral("导入完成: 节假日 2 个 (跳过 1 个), 调休 1 个 (跳过 1 个)"));
    QString message;
    ASSERT_TRUE(addCalendarImport(first.additions, calendar, message));

    const CalendarImport again = proposeCalendarImport(parsed, calendar);
    EXPECT_TRUE(again.additions.holidays.empty());
    EXPECT_TRUE(again.additions.adjustedDays.empty());
    EXPECT_EQ(calendarImportSummary(again),
              QStringLiteral("导入完成: 节假日 0 个 (跳过 3 个), 调休 0 个 (跳过 2 个)"));
}

TEST(CalendarImport, BeyondTheLimitsNothingIsAdded) {
    HolidayCalendar full;
    HolidayCalendar one;
    for (int i = 0; i < kMaxHolidays; ++i) {
        full.holidays.push_back(makeHoliday(QString::number(i), {2030, 1, 1, 0, 2030, 1, 1, 24}));
        full.adjustedDays.push_back(makeAdjustedDay({2031, 1, 1 + i % 28}, {2031, 2, 1}));
    }
    one.holidays.push_back(makeHoliday(QStringLiteral("x"), {2030, 1, 2, 0, 2030, 1, 2, 24}));
    QString message;
    HolidayCalendar calendar = full;
    EXPECT_FALSE(addCalendarImport(one, calendar, message));
    EXPECT_EQ(message, QStringLiteral("最多 128 个节假日"));
    calendar.holidays.pop_back();
    one.holidays.clear();
    one.adjustedDays.push_back(makeAdjustedDay({2032, 1, 1}, {2032, 1, 2}));
    EXPECT_FALSE(addCalendarImport(one, calendar, message));
    EXPECT_EQ(message, QStringLiteral("最多 128 个调休"));
    EXPECT_EQ(calendar.holidays.size(), size_t{kMaxHolidays - 1});
}

TEST(CalendarImport, AFileThatIsNoCalendarIsRefused) {
    TempFolder folder;
    writeBytes(folder.file(QStringLiteral("notes.ics")), "这不是日历\n");
    writeBytes(folder.file(QStringLiteral("empty.ics")), "");
    writeBytes(folder.file(QStringLiteral("card.ics")), "BEGIN:VCARD\r\nFN:x\r\nEND:VCARD\r\n");
    ASSERT_TRUE(makeFifo(folder.file(QStringLiteral("fifo.ics"))));
    for (const char* name : {"notes.ics", "empty.ics", "card.ics", "fifo.ics"}) {
        const QString path = folder.file(QString::fromLatin1(name));
        std::vector<CalendarEvent> events;
        QString message;
        EXPECT_FALSE(readCalendarEvents(path, events, message)) << name;
        EXPECT_EQ(message,
                  QStringLiteral("读文件失败：\n%1\n\n不是日历文件 (iCalendar)").arg(path));
    }
}
