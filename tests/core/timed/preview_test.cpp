#include <gtest/gtest.h>
#include <QProcess>

#include "core/holidays/holiday_file.h"
#include "core/support/date_text.h"
#include "core/timed/preview.h"
#include "core/timed/programme_file.h"
#include "core/timed/schedule.h"
#include "helpers/program_runner.h"
#include "helpers/programme_builders.h"
#include "helpers/temp_folder.h"

#include <cstdlib>

namespace {

QStringList preview(const ProgrammeTable& table, const HolidayCalendar& calendar, int y, int m,
                    int d, int days) {
    QStringList lines;
    previewStarts(
        table, calendar, y, m, d, days,
        [&](const LocalDateTime& moment, const LocalDateTime& start, int row) {
            lines.append(
                QString::asprintf("%02d-%02d %02d:%02d:%02d ", moment.month, moment.day,
                                  moment.hour, moment.minute, moment.second) +
                QString::asprintf("%02d:%02d:%02d ", start.hour, start.minute, start.second) +
                programmeName(table.at(row)));
        });
    return lines;
}

}  // namespace

TEST(Preview, FiresEachStartOnceOnItsDaysOnly) {
    ProgrammeTable table;
    Programme bell = makeProgramme(QStringLiteral("bell"), {{8, 0, 0}, {8, 0, 10}});
    bell.weekdays[5] = 0;
    bell.weekdays[6] = 0;
    table.append(bell);
    table.append(makeProgramme(QStringLiteral("music"), {{0, 0, 0}}, false, 30));
    HolidayCalendar calendar;
    Holiday monday = blankHoliday();
    monday.range = DateHourRange{2024, 5, 6, 0, 2024, 5, 6, 24};
    calendar.holidays.push_back(monday);
    // Friday 2024-05-03 to Tuesday 2024-05-07; Monday is a holiday.
    EXPECT_EQ(preview(table, calendar, 2024, 5, 3, 5),
              (QStringList{QStringLiteral("05-03 00:00:00 00:00:00 music"),
                           QStringLiteral("05-03 08:00:00 08:00:00 bell"),
                           QStringLiteral("05-03 08:00:10 08:00:10 bell"),
                           QStringLiteral("05-04 00:00:00 00:00:00 music"),
                           QStringLiteral("05-05 00:00:00 00:00:00 music"),
                           QStringLiteral("05-07 00:00:00 00:00:00 music"),
                           QStringLiteral("05-07 08:00:00 08:00:00 bell"),
                           QStringLiteral("05-07 08:00:10 08:00:10 bell")}));
}

TEST(Preview, SecondsProgrammesJoinTheirWindowAfterAHolidayEnds) {
    ProgrammeTable table;
    table.append(makeProgramme(QStringLiteral("lesson"), {{8, 0, 0}}, false, 3600));
    HolidayCalendar calendar;
    Holiday morning = blankHoliday();
    morning.range = DateHourRange{2024, 5, 6, 0, 2024, 5, 6, 8};  // through 08:00
    calendar.holidays.push_back(morning);
    EXPECT_EQ(preview(table, calendar, 2024, 5, 6, 1),
              QStringList{QStringLiteral("05-06 08:01:00 08:00:00 lesson")});
}

TEST(Preview, CommandReadsTheDataFolderAndReportsDamage) {
    ProgramRunner runner;
    const QString data = runner.dataFolder();
    ProgrammeTable table;
    table.append(makeProgramme(QStringLiteral("早操"), {{7, 55, 0}}));
    QString message;
    ASSERT_TRUE(saveProgrammes(data, table, true, message));
    writeBytes(data + QStringLiteral("/节假日和调休t"), "broken");

    QProcess process;
    process.setProcessEnvironment(runner.environment());
    process.start(QStringLiteral(KB_PROGRAM_PATH),
                  {QStringLiteral("--preview"), QStringLiteral("2026-03-02"), QStringLiteral("2")});
    ASSERT_TRUE(process.waitForFinished(20000));
    EXPECT_EQ(process.exitCode(), 0);
    EXPECT_EQ(QString::fromUtf8(process.readAllStandardOutput()),
              QStringLiteral("2026-03-02 07:55:00\t07:55:00\t早操\n"
                             "2026-03-03 07:55:00\t07:55:00\t早操\n"));
    EXPECT_TRUE(QString::fromUtf8(process.readAllStandardError())
                    .contains(QStringLiteral("文件内容有错误")));

    process.start(QStringLiteral(KB_PROGRAM_PATH),
                  {QStringLiteral("--preview"), QStringLiteral("2026-02-30"), QStringLiteral("2")});
    ASSERT_TRUE(process.waitForFinished(20000));
    EXPECT_EQ(process.exitCode(), 2);
}

TEST(Preview, AgreesWithAskingEverySecond) {
    // Random tables with holidays, ranges, adjusted days and overlapping windows: the preview
    // must list exactly what asking every programme at every second lists.
    std::srand(12345);
    auto rnd = [](int n) { return std::rand() % n; };
    for (int round = 0; round < 3; ++round) {
        ProgrammeTable table;
        for (int i = 0; i < 12; ++i) {
            Programme p =
                makeProgramme(QStringLiteral("p%1").arg(i), {}, rnd(2) == 0, 1 + rnd(900));
            p.startCount = 1 + rnd(6);
            for (int k = 0; k < p.startCount; ++k) {
                p.startTimes[k] = ClockTime{rnd(24), rnd(60), rnd(60)};
            }
            p.byWeekday = rnd(3) != 0 ? 1 : 0;
            for (int k = 0; k < 7; ++k)
                p.weekdays[k] = rnd(2);
            p.weekdays[rnd(7)] = 1;
            for (int k = 0; k < 31; ++k)
                p.monthDays[k] = rnd(3) == 0 ? 1 : 0;
            p.monthDays[rnd(31)] = 1;
            if (rnd(3) == 0) {
                p.dateRange = DateHourRange{2024, 5, 2, rnd(24), 2024, 5, 3, rnd(25)};
            }
            p.disabled = rnd(8) == 0 ? 1 : 0;
            table.append(p);
        }
        HolidayCalendar calendar;
        Holiday h = blankHoliday();
        h.range = DateHourRange{2024, 5, 1, 6 + rnd(6), 2024, 5, 1, 13 + rnd(6)};
        calendar.holidays.push_back(h);
        AdjustedDay a = blankAdjustedDay();
        a.dateA = {2024, 5, 4};
        a.dateB = {2024, 5, 6};
        calendar.adjustedDays.push_back(a);

        QStringList naive;
        ProgrammeTable copy = table;
        ProgrammeStatus status;
        LocalDateTime start;
        LocalDateTime date = makeDateTime(2024, 5, 1);
        for (int d = 0; d < 4; ++d) {
            for (int second = 0; second < 86400; ++second) {
                LocalDateTime moment = date;
                moment.hour = static_cast<quint16>(second / 3600);
                moment.minute = static_cast<quint16>(second / 60 % 60);
                moment.second = static_cast<quint16>(second % 60);
                for (Programme& p : copy.items()) {
                    if (isProgrammeDue(p, moment, calendar, status, start)) {
                        p.lastStartTime = start;
                        naive.append(QString::asprintf("%02d-%02d %02d:%02d:%02d ", moment.month,
                                                       moment.day, moment.hour, moment.minute,
                                                       moment.second) +
                                     QString::asprintf("%02d:%02d:%02d ", start.hour, start.minute,
                                                       start.second) +
                                     programmeName(p));
                    }
                }
            }
            date = addSeconds(date, 86400);
        }
        const QStringList fast = preview(table, calendar, 2024, 5, 1, 4);
        EXPECT_FALSE(naive.isEmpty());
        EXPECT_EQ(fast, naive) << "round " << round;
    }
}

TEST(Preview, CommandLinesAreFormattedAsTheDateHelpersWriteThem) {
    // Fields at their widths and beyond, a name with characters outside the BMP, and one that
    // is not valid UTF-16: the hand-made line must be what the general helpers make.
    Programme p = makeProgramme(QStringLiteral("早操 🎵 bell\t1"), {});
    std::u16string broken = u"x";
    broken.push_back(char16_t(0xD800));
    Programme bad = makeProgramme(QString::fromStdU16String(broken), {});
    const LocalDateTime moments[] = {makeDateTime(2026, 9, 1, 0, 0, 0),
                                     makeDateTime(1853, 12, 31, 23, 59, 59),
                                     makeDateTime(9999, 1, 9, 7, 5, 9)};
    for (const Programme& programme : {p, bad}) {
        for (const LocalDateTime& moment : moments) {
            for (const int hour : {7, 123}) {  // 123 is wider than its two digits
                LocalDateTime start = moment;
                start.hour = static_cast<quint16>(hour);
                std::string line;
                appendPreviewLine(line, moment, start, programmeName(programme).toUtf8());
                const QString expected = formatTimestamp(moment) + u'\t' +
                                         formatClockTime({start.hour, start.minute, start.second}) +
                                         u'\t' + programmeName(programme) + u'\n';
                EXPECT_EQ(QByteArray::fromStdString(line), expected.toUtf8());
            }
        }
    }
}
