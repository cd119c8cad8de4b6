#pragma once

#include "core/holidays/holiday_calendar.h"
#include "core/support/text.h"

inline Holiday makeHoliday(const QString& name, const DateHourRange& range, bool disabled = false) {
    Holiday h = blankHoliday();
    setFieldText(h.name, name);
    h.range = range;
    h.disabled = disabled ? 1 : 0;
    return h;
}

inline AdjustedDay makeAdjustedDay(CalendarDate a, CalendarDate b, bool disabled = false,
                                   const QString& remark = QStringLiteral("劳动节调休")) {
    AdjustedDay d = blankAdjustedDay();
    d.dateA = a;
    d.dateB = b;
    d.disabled = disabled ? 1 : 0;
    setFieldText(d.remark, remark);
    return d;
}
