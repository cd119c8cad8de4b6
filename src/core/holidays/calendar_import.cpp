#include "core/holidays/calendar_import.h"

#include <QDate>
#include <algorithm>
#include <map>
#include <tuple>

#include "core/support/date_text.h"
#include "core/support/text.h"

namespace {

// Names and remarks hold 63 characters.
constexpr int kMaxFieldText = 63;
// Worked days are single days; an event that claims years of them is cut short here (the
// import is refused at 128 in any case).
constexpr int kMaxWorkdaysRead = 1024;

QDate firstDate(const DateHourRange& r) {
    return QDate(r.startYear, r.startMonth, r.startDay);
}

QDate lastDate(const DateHourRange& r) {
    return QDate(r.endYear, r.endMonth, r.endDay);
}

qint64 startHours(const DateHourRange& r) {
    return firstDate(r).toJulianDay() * 24 + r.startHour;
}

qint64 endHours(const DateHourRange& r) {
    return lastDate(r).toJulianDay() * 24 + r.endHour;
}

// The first and last date that hold at least one hour of the range.
QDate firstCoveredDate(const DateHourRange& r) {
    return r.startHour >= 24 ? firstDate(r).addDays(1) : firstDate(r);
}

QDate lastCoveredDate(const DateHourRange& r) {
    return r.endHour == 0 ? lastDate(r).addDays(-1) : lastDate(r);
}

bool isMondayToFriday(const QDate& d) {
    return d.dayOfWeek() <= 5;
}

CalendarDate calendarDate(const QDate& d) {
    return CalendarDate{d.year(), d.month(), d.day()};
}

struct HolidayEvent {
    QString summary;
    DateHourRange range;
};

struct Workday {
    QDate date;
    QString summary;
};

// The holiday events; the same summary over touching or overlapping hours is one holiday (a
// feed may give each day of a holiday as an event of its own).
std::vector<HolidayEvent> holidayEvents(const std::vector<CalendarEvent>& events) {
    std::vector<HolidayEvent> found;
    for (const CalendarEvent& e : events) {
        if (!isMadeUpWorkday(e.summary)) {
            found.push_back({e.summary, e.range});
        }
    }
    std::stable_sort(found.begin(), found.end(), [](const auto& a, const auto& b) {
        return std::make_tuple(a.summary, startHours(a.range)) <
               std::make_tuple(b.summary, startHours(b.range));
    });
    std::vector<HolidayEvent> merged;
    for (const HolidayEvent& h : found) {
        if (!merged.empty() && merged.back().summary == h.summary &&
            startHours(h.range) <= endHours(merged.back().range)) {
            if (endHours(h.range) > endHours(merged.back().range)) {
                DateHourRange& r = merged.back().range;
                r.endYear = h.range.endYear;
                r.endMonth = h.range.endMonth;
                r.endDay = h.range.endDay;
                r.endHour = h.range.endHour;
            }
            continue;
        }
        merged.push_back(h);
    }
    std::stable_sort(merged.begin(), merged.end(), [](const auto& a, const auto& b) {
        return startHours(a.range) < startHours(b.range);
    });
    return merged;
}

// Each day of the worked-day events, in date order.
std::vector<Workday> workdays(const std::vector<CalendarEvent>& events) {
    std::vector<Workday> days;
    for (const CalendarEvent& e : events) {
        if (!isMadeUpWorkday(e.summary)) {
            continue;
        }
        const QDate last = e.allDay ? lastCoveredDate(e.range) : firstDate(e.range);
        for (QDate d = e.allDay ? firstCoveredDate(e.range) : firstDate(e.range);
             d <= last && days.size() < kMaxWorkdaysRead; d = d.addDays(1)) {
            days.push_back({d, e.summary});
        }
    }
    std::stable_sort(days.begin(), days.end(),
                     [](const Workday& a, const Workday& b) { return a.date < b.date; });
    return days;
}

qint64 daysApart(const QDate& d, const DateHourRange& r) {
    const qint64 day = d.toJulianDay();
    const qint64 first = firstCoveredDate(r).toJulianDay();
    const qint64 last = lastCoveredDate(r).toJulianDay();
    return day < first ? first - day : (day > last ? day - last : 0);
}

// The holiday a worked day makes up for: one whose summary the day's summary contains (the
// nearest of them), else the nearest of all. -1 when there is none.
int madeUpFor(const Workday& day, const std::vector<HolidayEvent>& holidays) {
    const auto named = [&](const HolidayEvent& h) {
        return !h.summary.isEmpty() && day.summary.contains(h.summary);
    };
    const bool anyNamed = std::any_of(holidays.begin(), holidays.end(), named);
    int best = -1;
    auto bestKey = std::make_tuple(qint64{0}, qsizetype{0}, qint64{0});
    for (int i = 0; i < static_cast<int>(holidays.size()); ++i) {
        const HolidayEvent& h = holidays[static_cast<size_t>(i)];
        if (anyNamed && !named(h)) {
            continue;
        }
        // Nearest first; then the longer summary (the more precise name), then the earlier.
        const auto key =
            std::make_tuple(daysApart(day.date, h.range), -h.summary.size(), startHours(h.range));
        if (best < 0 || key < bestKey) {
            best = i;
            bestKey = key;
        }
    }
    return best;
}

// The last `count` Monday-Friday dates of the range, in date order (fewer when it has fewer).
std::vector<QDate> lastWeekdays(const DateHourRange& r, size_t count) {
    std::vector<QDate> dates;
    const QDate first = firstCoveredDate(r);
    for (QDate d = lastCoveredDate(r); d >= first && dates.size() < count; d = d.addDays(-1)) {
        if (isMondayToFriday(d)) {
            dates.insert(dates.begin(), d);
        }
    }
    return dates;
}

// Without a holiday to make up for: the next Monday-Friday date.
QDate nextWeekday(const QDate& d) {
    QDate next = d.addDays(1);
    while (!isMondayToFriday(next)) {
        next = next.addDays(1);
    }
    return next;
}

// The b date of each worked day.
std::vector<QDate> proposedDates(const std::vector<Workday>& days,
                                 const std::vector<HolidayEvent>& holidays) {
    std::vector<QDate> dates(days.size());
    std::map<int, std::vector<size_t>> byHoliday;
    for (size_t i = 0; i < days.size(); ++i) {
        const int h = madeUpFor(days[i], holidays);
        if (h < 0) {
            dates[i] = nextWeekday(days[i].date);
        } else {
            byHoliday[h].push_back(i);
        }
    }
    for (const auto& [h, members] : byHoliday) {
        const std::vector<QDate> weekdays =
            lastWeekdays(holidays[static_cast<size_t>(h)].range, members.size());
        const size_t spare = members.size() - std::min(members.size(), weekdays.size());
        for (size_t k = 0; k < members.size(); ++k) {
            const size_t i = members[k];
            // More worked days than weekdays: the earliest share the first weekday.
            dates[i] =
                weekdays.empty() ? nextWeekday(days[i].date) : weekdays[k < spare ? 0 : k - spare];
            if (dates[i] == days[i].date) {
                dates[i] = nextWeekday(days[i].date);
            }
        }
    }
    return dates;
}

// The names a holiday may take, in turn: its summary, then with its start year, then with its
// start date.
QStringList nameChoices(const HolidayEvent& h) {
    const QDate start = firstDate(h.range);
    const QString dateText = start.toString(QStringLiteral("yyyy-MM-dd"));
    const QString base = h.summary.isEmpty() ? dateText : h.summary;
    const QString year = QStringLiteral(" %1").arg(start.year());
    return {base.left(kMaxFieldText), base.left(kMaxFieldText - year.size()) + year,
            base.left(kMaxFieldText - dateText.size() - 1) + u' ' + dateText};
}

}  // namespace

bool isMadeUpWorkday(const QString& summary) {
    return summary.contains(QStringLiteral("上班")) || summary.contains(QStringLiteral("补班"));
}

CalendarImport proposeCalendarImport(const std::vector<CalendarEvent>& events,
                                     const HolidayCalendar& calendar) {
    CalendarImport result;
    HolidayCalendar known = calendar;
    const std::vector<HolidayEvent> holidays = holidayEvents(events);
    for (const HolidayEvent& h : holidays) {
        bool placed = false;
        for (const QString& name : nameChoices(h)) {
            const int taken = known.findHolidayByName(name);
            if (taken >= 0 && known.holidays[static_cast<size_t>(taken)].range == h.range) {
                break;  // already there
            }
            if (taken < 0) {
                Holiday added = blankHoliday();
                setFieldText(added.name, name);
                added.range = h.range;
                known.holidays.push_back(added);
                result.additions.holidays.push_back(added);
                placed = true;
                break;
            }
        }
        if (!placed) {
            ++result.skippedHolidays;
        }
    }

    // Without holidays in the file, the worked days make up for those of the calendar.
    std::vector<HolidayEvent> madeUp = holidays;
    if (madeUp.empty()) {
        for (const Holiday& h : calendar.holidays) {
            madeUp.push_back({holidayName(h), h.range});
        }
    }
    const std::vector<Workday> days = workdays(events);
    const std::vector<QDate> dates = proposedDates(days, madeUp);
    for (size_t i = 0; i < days.size(); ++i) {
        const QDate& a = days[i].date;
        if (known.findAdjustedDayByDateA(a.year(), a.month(), a.day()) >= 0) {
            ++result.skippedAdjustedDays;
            continue;
        }
        AdjustedDay added = blankAdjustedDay();
        added.dateA = calendarDate(a);
        added.dateB = calendarDate(dates[i]);
        setFieldText(added.remark, days[i].summary.left(kMaxFieldText));
        known.adjustedDays.push_back(added);
        result.additions.adjustedDays.push_back(added);
    }
    return result;
}

bool addCalendarImport(const HolidayCalendar& additions, HolidayCalendar& calendar,
                       QString& message) {
    if (calendar.holidays.size() + additions.holidays.size() > size_t{kMaxHolidays}) {
        message = QStringLiteral("最多 %1 个节假日").arg(kMaxHolidays);
        return false;
    }
    if (calendar.adjustedDays.size() + additions.adjustedDays.size() > size_t{kMaxAdjustedDays}) {
        message = QStringLiteral("最多 %1 个调休").arg(kMaxAdjustedDays);
        return false;
    }
    calendar.holidays.insert(calendar.holidays.end(), additions.holidays.begin(),
                             additions.holidays.end());
    calendar.adjustedDays.insert(calendar.adjustedDays.end(), additions.adjustedDays.begin(),
                                 additions.adjustedDays.end());
    return true;
}

QString calendarImportSummary(const CalendarImport& import) {
    return QStringLiteral("导入完成: 节假日 %1 个 (跳过 %2 个), 调休 %3 个 (跳过 %4 个)")
        .arg(import.additions.holidays.size())
        .arg(import.skippedHolidays)
        .arg(import.additions.adjustedDays.size())
        .arg(import.skippedAdjustedDays);
}

QStringList adjustedDayLines(const HolidayCalendar& additions) {
    QStringList lines;
    for (const AdjustedDay& a : additions.adjustedDays) {
        lines.append(QStringLiteral("调休 %1 按 %2")
                         .arg(formatDateWithWeekday(a.dateA), formatDateWithWeekday(a.dateB)));
    }
    return lines;
}
