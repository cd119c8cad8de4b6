#include "core/holidays/holiday_file.h"
#include "core/support/text.h"
#include "data_file_fuzzing.h"

namespace {

Holiday holiday(const QString& name, const DateHourRange& range, bool disabled) {
    Holiday h = blankHoliday();
    setFieldText(h.name, name);
    h.range = range;
    h.disabled = disabled ? 1 : 0;
    return h;
}

AdjustedDay adjusted(const CalendarDate& a, const CalendarDate& b, const QString& remark) {
    AdjustedDay d = blankAdjustedDay();
    d.dateA = a;
    d.dateB = b;
    setFieldText(d.remark, remark);
    return d;
}

std::vector<HolidayCalendar> seeds() {
    std::vector<HolidayCalendar> calendars(4);
    calendars[1].holidays.push_back(
        holiday(QStringLiteral("国庆节"), DateHourRange{2026, 10, 1, 0, 2026, 10, 8, 0}, false));
    calendars[2].adjustedDays.push_back(
        adjusted(CalendarDate{2026, 9, 27}, CalendarDate{2026, 10, 2}, QStringLiteral("调休")));
    calendars[3] = calendars[1];
    calendars[3].holidays.push_back(
        holiday(QStringLiteral("寒假"), DateHourRange{2027, 1, 20, 12, 2027, 2, 25, 23}, true));
    calendars[3].adjustedDays = calendars[2].adjustedDays;
    calendars[3].adjustedDays.push_back(
        adjusted(CalendarDate{2028, 2, 29}, CalendarDate{2028, 3, 1}, QString()));
    return calendars;
}

const FuzzedFormat<HolidayCalendar> kFormat{
    kHolidayFileName,
    HolidayCalendar{},
    HolidayCalendar{},
    loadHolidayCalendar,
    [](const QString& folder, const HolidayCalendar& calendar, QString& message) {
        return saveHolidayCalendar(folder, calendar, false, message);
    },
    seeds,
};

}  // namespace

KB_DATA_FILE_FUZZER(kFormat)
