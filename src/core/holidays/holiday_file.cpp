#include "core/holidays/holiday_file.h"

#include "core/storage/data_file.h"
#include "core/support/byte_codec.h"

namespace {

constexpr int kHolidayBytes = 164;
constexpr int kAdjustedDayBytes = 156;
// The largest valid file: both lists full.
constexpr qint64 kMaxHolidayFileBytes =
    4 + kMaxHolidays * kHolidayBytes + 4 + kMaxAdjustedDays * kAdjustedDayBytes + kDigestBytes;

Holiday decodeHoliday(const QByteArray& bytes) {
    Holiday h = blankHoliday();
    ByteReader r(bytes);
    r.text(h.name);
    h.disabled = r.i32();
    h.range = r.range();
    return h;
}

AdjustedDay decodeAdjustedDay(const QByteArray& bytes) {
    AdjustedDay a = blankAdjustedDay();
    ByteReader r(bytes);
    a.dateA = r.date();
    a.dateB = r.date();
    a.disabled = r.i32();
    r.text(a.remark);
    return a;
}

bool isValid(const CalendarDate& d) {
    return isValidDate(d.year, d.month, d.day);
}

}  // namespace

QByteArray encodeHoliday(const Holiday& h) {
    QByteArray out;
    ByteWriter w(out);
    w.text(h.name);
    w.i32(h.disabled);
    w.range(h.range);
    return out;
}

QByteArray encodeAdjustedDay(const AdjustedDay& a) {
    QByteArray out;
    ByteWriter w(out);
    w.date(a.dateA);
    w.date(a.dateB);
    w.i32(a.disabled);
    w.text(a.remark);
    return out;
}

bool saveHolidayCalendar(const QString& dataFolder, const HolidayCalendar& calendar,
                         bool rescueHint, QString& message) {
    DataFileWriter writer(dataFolder, kHolidayFileName, MidWriteWording::Timetable, rescueHint);
    return sealHolidayCalendar(writer, calendar, message) && writer.place(message);
}

bool sealHolidayCalendar(DataFileWriter& writer, const HolidayCalendar& calendar,
                         QString& message) {
    if (!writer.open(message)) {
        return false;
    }
    writer.write(countBlock(static_cast<quint32>(calendar.holidays.size())));
    for (const Holiday& h : calendar.holidays) {
        writer.write(encodeHoliday(h));
    }
    writer.write(countBlock(static_cast<quint32>(calendar.adjustedDays.size())));
    for (const AdjustedDay& a : calendar.adjustedDays) {
        writer.write(encodeAdjustedDay(a));
    }
    return writer.seal(message);
}

bool loadHolidayCalendar(const QString& dataFolder, HolidayCalendar& calendar, QString& message) {
    DataFileReader reader(dataFolder, kHolidayFileName, kMaxHolidayFileBytes);
    if (const auto opened = reader.open(message); opened != DataFileReader::Opened::Open) {
        return opened == DataFileReader::Opened::Absent;
    }
    QByteArray block;
    const quint32 holidays = reader.readCount(kMaxHolidays);
    for (quint32 i = 0; i < holidays && reader.read(block, kHolidayBytes); ++i) {
        Holiday h = decodeHoliday(block);
        h.name[63] = 0;
        if (!isValidDateHourRange(h.range)) {
            reader.reject();
            break;
        }
        calendar.holidays.push_back(h);
    }
    const quint32 adjusted = reader.failed() ? 0 : reader.readCount(kMaxAdjustedDays);
    for (quint32 i = 0; i < adjusted && reader.read(block, kAdjustedDayBytes); ++i) {
        AdjustedDay a = decodeAdjustedDay(block);
        a.remark[63] = 0;
        if (!isValid(a.dateA) || !isValid(a.dateB)) {
            reader.reject();
            break;
        }
        calendar.adjustedDays.push_back(a);
    }
    if (!reader.finish(message)) {
        calendar.clear();
        return false;
    }
    return true;
}
