#include "core/holidays/calendar_events.h"

#include <libical/ical.h>
#include <QDateTime>
#include <cerrno>
#include <memory>

#include "core/storage/data_file.h"
#include "core/storage/whole_file.h"
#include "core/support/text.h"

namespace {

// A year of holidays is a few kilobytes; a feed of many years some hundreds.
constexpr qint64 kMaxCalendarBytes = 8 * 1024 * 1024;

QString notACalendar(const QString& path) {
    return QStringLiteral("读文件失败：\n%1\n\n不是日历文件 (iCalendar)").arg(path);
}

struct ComponentFree {
    void operator()(icalcomponent* c) const { icalcomponent_free(c); }
};

// Local time of a DTSTART or DTEND with a time: floating times are local already, times
// in UTC or with a known zone are converted.
QDateTime localTime(const icaltimetype& t) {
    if (t.zone == nullptr && !icaltime_is_utc(t)) {
        return QDateTime(QDate(t.year, t.month, t.day), QTime(t.hour, t.minute, t.second));
    }
    const icaltimezone* zone = t.zone != nullptr ? t.zone : icaltimezone_get_utc_timezone();
    return QDateTime::fromSecsSinceEpoch(icaltime_as_timet_with_zone(t, zone));
}

DateHourRange hoursOf(const QDate& startDate, int startHour, const QDate& endDate, int endHour) {
    return DateHourRange{startDate.year(), startDate.month(), startDate.day(), startHour,
                         endDate.year(),   endDate.month(),   endDate.day(),   endHour};
}

bool hasEnd(icalcomponent* event) {
    return icalcomponent_get_first_property(event, ICAL_DTEND_PROPERTY) != nullptr ||
           icalcomponent_get_first_property(event, ICAL_DURATION_PROPERTY) != nullptr;
}

// The event's hours, or false for an event without a usable start.
bool eventHours(icalcomponent* event, DateHourRange& range, bool& allDay) {
    const icaltimetype start = icalcomponent_get_dtstart(event);
    if (icaltime_is_null_time(start) || !icaltime_is_valid_time(start)) {
        return false;
    }
    const icaltimetype end = hasEnd(event) ? icalcomponent_get_dtend(event) : icaltime_null_time();
    const bool endUsable = !icaltime_is_null_time(end) && icaltime_is_valid_time(end);
    allDay = start.is_date != 0;
    if (allDay) {
        const QDate first(start.year, start.month, start.day);
        QDate last = first;
        if (endUsable) {
            // DTEND is the first day after the event.
            const QDate after(end.year, end.month, end.day);
            last = after > first ? after.addDays(-1) : first;
        }
        range = hoursOf(first, 0, last, 24);
    } else {
        const QDateTime from = localTime(start);
        QDateTime to = endUsable ? localTime(end) : from;
        // The end hour rounded up; at least the start hour.
        const QTime endTime = to.time();
        const bool partHour = endTime.minute() != 0 || endTime.second() != 0;
        int endHour = endTime.hour() + (partHour ? 1 : 0);
        QDate endDate = to.date();
        if (endHour == 0) {
            endDate = endDate.addDays(-1);
            endHour = 24;
        }
        range = hoursOf(from.date(), from.time().hour(), endDate, endHour);
        if (!isValidDateHourRange(range) &&
            isValidDate(range.startYear, range.startMonth, range.startDay)) {
            range = hoursOf(from.date(), from.time().hour(), from.date(), from.time().hour() + 1);
        }
    }
    return isValidDateHourRange(range);
}

void collectEvents(icalcomponent* calendar, std::vector<CalendarEvent>& events) {
    for (icalcomponent* event = icalcomponent_get_first_component(calendar, ICAL_VEVENT_COMPONENT);
         event != nullptr;
         event = icalcomponent_get_next_component(calendar, ICAL_VEVENT_COMPONENT)) {
        CalendarEvent e;
        // A feed withdraws an event by cancelling it.
        if (icalcomponent_get_status(event) == ICAL_STATUS_CANCELLED ||
            !eventHours(event, e.range, e.allDay)) {
            continue;
        }
        const char* summary = icalcomponent_get_summary(event);
        e.summary = trimBlanks(QString::fromUtf8(summary != nullptr ? summary : ""));
        events.push_back(std::move(e));
    }
}

}  // namespace

bool readCalendarEvents(const QString& path, std::vector<CalendarEvent>& events, QString& message) {
    events.clear();
    QByteArray content;
    const int error = readWholeFile(path, kMaxCalendarBytes, content);
    if (error == EINVAL || error == EFBIG || error == EISDIR) {
        message = notACalendar(path);
        return false;
    }
    if (error != 0) {
        message = readFailureMessage(path, error);
        return false;
    }
    if (content.startsWith("\xEF\xBB\xBF")) {
        content.remove(0, 3);  // a byte-order mark some editors put first
    }
    // A bad line is a note in the parsed calendar, never the end of the program.
    icalerror_set_errors_are_fatal(0);
    const bool calendarText = content.left(4096).toUpper().contains("BEGIN:VCALENDAR");
    const std::unique_ptr<icalcomponent, ComponentFree> root(
        calendarText ? icalparser_parse_string(content.constData()) : nullptr);
    if (!root) {
        message = notACalendar(path);
        return false;
    }
    const icalcomponent_kind kind = icalcomponent_isa(root.get());
    if (kind == ICAL_VCALENDAR_COMPONENT) {
        collectEvents(root.get(), events);
    } else if (kind == ICAL_XROOT_COMPONENT) {
        // Several calendars in one file.
        for (icalcomponent* c =
                 icalcomponent_get_first_component(root.get(), ICAL_VCALENDAR_COMPONENT);
             c != nullptr;
             c = icalcomponent_get_next_component(root.get(), ICAL_VCALENDAR_COMPONENT)) {
            collectEvents(c, events);
        }
    } else {
        message = notACalendar(path);
        return false;
    }
    return true;
}
