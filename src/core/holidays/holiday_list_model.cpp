#include "core/holidays/holiday_list_model.h"

#include "core/support/date_text.h"

HolidayListModel::HolidayListModel(HolidayCalendar& calendar, QObject* parent)
    : CalendarListModel({QStringLiteral("节假日名称"), QStringLiteral("启/停"),
                         QStringLiteral("开始日期时间"), QStringLiteral("结束日期时间")},
                        StateColumn, kMaxHolidays, parent),
      calendar_(calendar) {}

int HolidayListModel::entryCount() const {
    return static_cast<int>(calendar_.holidays.size());
}

QString HolidayListModel::cellText(int row, int column) const {
    const Holiday& h = at(row);
    const DateHourRange& r = h.range;
    switch (column) {
        case NameColumn:
            return holidayName(h);
        case StateColumn:
            return stateText(h.disabled);
        case StartColumn:
            return formatDateHour(r.startYear, r.startMonth, r.startDay, r.startHour);
        case EndColumn:
            return formatDateHour(r.endYear, r.endMonth, r.endDay, r.endHour);
        default:
            return {};
    }
}

qint32& HolidayListModel::disabledFlag(int row) {
    return calendar_.holidays[static_cast<size_t>(row)].disabled;
}

void HolidayListModel::eraseEntry(int row) {
    calendar_.holidays.erase(calendar_.holidays.begin() + row);
}

int HolidayListModel::append(const Holiday& holiday) {
    return appendEntry(calendar_.holidays, holiday);
}

void HolidayListModel::replace(int row, const Holiday& holiday) {
    replaceEntry(calendar_.holidays, row, holiday);
}

bool HolidayListModel::sortByName() {
    return resort([this] { return calendar_.sortHolidaysByName(); });
}

bool HolidayListModel::sortByStart() {
    return resort([this] { return calendar_.sortHolidaysByStart(); });
}
