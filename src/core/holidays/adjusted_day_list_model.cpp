#include "core/holidays/adjusted_day_list_model.h"

#include "core/support/date_text.h"
#include "core/support/text.h"

AdjustedDayListModel::AdjustedDayListModel(HolidayCalendar& calendar, QObject* parent)
    : CalendarListModel({QStringLiteral("a日期"), QStringLiteral("b日期"), QStringLiteral("启/停"),
                         QStringLiteral("备注")},
                        StateColumn, kMaxAdjustedDays, parent),
      calendar_(calendar) {}

int AdjustedDayListModel::entryCount() const {
    return static_cast<int>(calendar_.adjustedDays.size());
}

QString AdjustedDayListModel::cellText(int row, int column) const {
    const AdjustedDay& a = at(row);
    switch (column) {
        case DateAColumn:
            return formatDateWithWeekday(a.dateA);
        case DateBColumn:
            return formatDateWithWeekday(a.dateB);
        case StateColumn:
            return stateText(a.disabled);
        case RemarkColumn:
            return fieldText(a.remark);
        default:
            return {};
    }
}

qint32& AdjustedDayListModel::disabledFlag(int row) {
    return calendar_.adjustedDays[static_cast<size_t>(row)].disabled;
}

void AdjustedDayListModel::eraseEntry(int row) {
    calendar_.adjustedDays.erase(calendar_.adjustedDays.begin() + row);
}

int AdjustedDayListModel::append(const AdjustedDay& day) {
    return appendEntry(calendar_.adjustedDays, day);
}

void AdjustedDayListModel::replace(int row, const AdjustedDay& day) {
    replaceEntry(calendar_.adjustedDays, row, day);
}

bool AdjustedDayListModel::sortByDateA() {
    return resort([this] { return calendar_.sortAdjustedDaysByDateA(); });
}
