#include <gtest/gtest.h>

#include <random>

#include "core/timed/programme_table.h"
#include "core/timed/schedule.h"
#include "core/timed/start_index.h"
#include "helpers/programme_builders.h"

namespace {

struct Answer {
    bool due = false;
    ProgrammeStatus status = ProgrammeStatus::Disabled;
    LocalDateTime start;
    LocalDateTime last;
    bool operator==(const Answer& o) const {
        return due == o.due && status == o.status && (!due || start == o.start) && last == o.last;
    }
};

Answer ask(Programme& p, const LocalDateTime& moment, const HolidayCalendar& calendar,
           StartIndex* index) {
    Answer a;
    a.due = isProgrammeDue(p, moment, calendar, a.status, a.start, index);
    a.last = p.lastStartTime;
    return a;
}

std::string describe(const Answer& a) {
    return QStringLiteral("due %1 status %2 start %3:%4:%5 last %6-%7 %8:%9:%10")
        .arg(a.due)
        .arg(static_cast<int>(a.status))
        .arg(a.start.hour)
        .arg(a.start.minute)
        .arg(a.start.second)
        .arg(a.last.month)
        .arg(a.last.day)
        .arg(a.last.hour)
        .arg(a.last.minute)
        .arg(a.last.second)
        .toStdString();
}

// A programme with many starts, some shared, some close together, in no order.
Programme randomProgramme(std::mt19937& rnd) {
    auto pick = [&](int n) { return static_cast<int>(rnd() % static_cast<unsigned>(n)); };
    Programme p = makeProgramme(QStringLiteral("p"), {}, pick(2) == 0, 1);
    p.startCount = 1 + pick(40);
    const int hour = pick(24);
    for (int i = 0; i < p.startCount; ++i) {
        p.startTimes[i] = pick(4) == 0 ? p.startTimes[pick(i + 1)]
                                       : ClockTime{(hour + pick(2)) % 24, pick(60), pick(60)};
    }
    if (p.countByTracks == 0) {
        static const int kWindows[] = {0, 1, 15, 59, 600, 7200, 90'000};
        p.secondsCount = kWindows[pick(7)];
    }
    return p;
}

}  // namespace

// The index must give exactly the answers of reading every start: the same due starts, the
// same statuses, the same resets of lastStartTime, tick after tick through firings, clock
// jumps back and forth, milliseconds and days.
TEST(StartIndex, GivesTheSameAnswersAsReadingEveryStart) {
    std::mt19937 rnd(2024);
    HolidayCalendar calendar;
    Holiday lunch = blankHoliday();
    lunch.range = DateHourRange{2024, 5, 7, 12, 2024, 5, 7, 13};
    calendar.holidays.push_back(lunch);
    int dueSeen = 0;
    for (int round = 0; round < 200; ++round) {
        Programme plain = randomProgramme(rnd);
        if (rnd() % 5 == 0) {
            plain.dateRange = DateHourRange{2024, 5, 6, 10, 2024, 5, 7, 14};
        }
        Programme indexed = plain;
        StartIndex index(indexed);
        LocalDateTime moment =
            makeDateTime(2024, 5, 6, plain.startTimes[0].hour, static_cast<int>(rnd() % 60), 0);
        for (int step = 0; step < 400; ++step) {
            const Answer a = ask(plain, moment, calendar, nullptr);
            const Answer b = ask(indexed, moment, calendar, &index);
            ASSERT_TRUE(a == b) << "round " << round << " step " << step
                                << "\n  scanned: " << describe(a) << "\n  indexed: " << describe(b);
            if (a.due) {
                ++dueSeen;
                plain.lastStartTime = a.start;
                indexed.lastStartTime = b.start;
            }
            const unsigned jump = rnd() % 100;
            if (jump < 80) {
                moment = addSeconds(moment, 1);
            } else if (jump < 90) {
                moment = addSeconds(moment, rnd() % 4000);
            } else if (jump < 95) {
                // The clock set back, by a little or a lot.
                moment = dateTimeFromTicks(dateTimeTicks(moment) -
                                           static_cast<qint64>(rnd() % 3600) * 10'000'000);
            } else {
                moment.millisecond = static_cast<quint16>(rnd() % 1000);
                moment = dateTimeFromTicks(dateTimeTicks(moment));
            }
        }
    }
    EXPECT_GT(dueSeen, 500) << "the walk must meet many due starts";
}

TEST(StartIndex, IsRebuiltWhenTheTableChanges) {
    ProgrammeTable table;
    table.append(makeProgramme(QStringLiteral("bell"), {{8, 0, 0}}));
    StartIndexes indexes;
    indexes.update(table);
    ProgrammeStatus status;
    LocalDateTime start;
    Programme& bell = table.forDueTest(0);
    EXPECT_TRUE(
        isProgrammeDue(bell, makeDateTime(2024, 5, 6, 8, 0, 5), {}, status, start, indexes.at(0)));
    bell.lastStartTime = neverDateTime();

    // Any change through the table is seen, also one to the start times alone.
    table[0].startTimes[0] = ClockTime{9, 0, 0};
    indexes.update(table);
    EXPECT_FALSE(isProgrammeDue(table.forDueTest(0), makeDateTime(2024, 5, 6, 8, 0, 5), {}, status,
                                start, indexes.at(0)));
    EXPECT_TRUE(isProgrammeDue(table.forDueTest(0), makeDateTime(2024, 5, 6, 9, 0, 5), {}, status,
                               start, indexes.at(0)));
    // The due test's own writes are not changes.
    const quint64 revision = table.revision();
    table.forDueTest(0).lastStartTime = start;
    EXPECT_EQ(table.revision(), revision);
}
