#pragma once

#include <QDir>
#include <QStringList>
#include <random>

#include "core/holidays/holiday_calendar.h"
#include "core/timed/programme_table.h"
#include "helpers/holiday_builders.h"
#include "helpers/programme_builders.h"
#include "helpers/temp_folder.h"

// A school's week drawn at random: bells, music folders, programmes counted in seconds, some
// on days of the month, some disabled or ending in the week; a holiday from Wednesday noon to
// Thursday noon and the Saturday playing Monday's timetable. With a music folder the files
// exist (silent WAVs), so their lengths are known; otherwise none of them does.
struct RandomTimetable {
    ProgrammeTable table;
    HolidayCalendar calendar;
    QString holidayName = QStringLiteral("劳动节");
};

inline RandomTimetable randomTimetable(unsigned seed, const LocalDateTime& monday, int programmes,
                                       int maxStarts, const QString& musicFolder = QString()) {
    std::mt19937 random(seed);
    auto below = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    // Names with characters whose glyphs fonts share with radicals (一, 日, 音).
    static const QStringList words = {
        QStringLiteral("升旗音乐"), QStringLiteral("早操"),     QStringLiteral("上课铃"),
        QStringLiteral("下课铃"),   QStringLiteral("眼保健操"), QStringLiteral("午休"),
        QStringLiteral("放学"),     QStringLiteral("午餐音乐"), QStringLiteral("晚自习"),
        QStringLiteral("熄灯"),     QStringLiteral("预备铃"),   QStringLiteral("日出一课")};
    QString bell;
    QString folder;
    if (!musicFolder.isEmpty()) {
        QDir().mkpath(musicFolder + QStringLiteral("/歌曲"));
        bell = musicFolder + QStringLiteral("/铃声.wav");
        writeSilentWav(bell, 8000);
        folder = musicFolder + QStringLiteral("/歌曲");
        for (int i = 0; i < 3; ++i) {
            writeSilentWav(folder + QStringLiteral("/%1.wav").arg(i), 40000 + 10000 * i);
        }
    }
    RandomTimetable result;
    for (int i = 0; i < programmes; ++i) {
        const int kind = below(3);  // a bell, a music folder, or seconds
        Programme p = makeProgramme(words[i % words.size()] + QString::number(i), {}, kind != 2,
                                    kind == 2 ? 60 + below(1200) : 1 + below(3));
        if (kind == 0 && !bell.isEmpty()) {
            setProgrammePath(p, bell);
        }
        if (kind == 1) {
            p.singleFile = 0;
            setProgrammePath(
                p, folder.isEmpty() ? QStringLiteral("/music/") + QString::number(i) : folder);
        }
        // Ascending distinct starts from 06:00 to 22:00.
        std::vector<int> seconds;
        const int count = 1 + below(maxStarts);
        for (int k = 0; k < count; ++k) {
            seconds.push_back(6 * 3600 + below(16 * 3600));
        }
        std::sort(seconds.begin(), seconds.end());
        seconds.erase(std::unique(seconds.begin(), seconds.end()), seconds.end());
        p.startCount = static_cast<qint32>(seconds.size());
        for (size_t k = 0; k < seconds.size(); ++k) {
            p.startTimes[k] = ClockTime{seconds[k] / 3600, seconds[k] / 60 % 60, seconds[k] % 60};
        }
        for (int d = 0; d < 7; ++d) {
            p.weekdays[d] = below(4) != 0 ? 1 : 0;
        }
        p.weekdays[below(5)] = 1;
        if (below(6) == 0) {
            p.byWeekday = 0;
            for (int d = 0; d < 31; ++d) {
                p.monthDays[d] = below(2);
            }
        }
        if (below(8) == 0) {
            const LocalDateTime friday = addSeconds(monday, 4 * kSecondsPerDay);
            p.dateRange = DateHourRange{2000, 1, 1, 0, friday.year, friday.month, friday.day, 12};
        }
        p.disabled = below(10) == 0 ? 1 : 0;
        result.table.append(p);
    }
    const LocalDateTime wednesday = addSeconds(monday, 2 * kSecondsPerDay);
    const LocalDateTime thursday = addSeconds(monday, 3 * kSecondsPerDay);
    result.calendar.holidays.push_back(makeHoliday(
        result.holidayName, DateHourRange{wednesday.year, wednesday.month, wednesday.day, 12,
                                          thursday.year, thursday.month, thursday.day, 12}));
    const LocalDateTime saturday = addSeconds(monday, 5 * kSecondsPerDay);
    result.calendar.adjustedDays.push_back(makeAdjustedDay(
        {saturday.year, saturday.month, saturday.day}, {monday.year, monday.month, monday.day}));
    return result;
}
