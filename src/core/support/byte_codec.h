#pragma once

#include <QByteArray>
#include <QtEndian>
#include <cstring>

#include "core/support/date_time.h"

// Little-endian encoding of record fields, one field at a time, so the stored layout does
// not depend on the machine.
class ByteWriter {
  public:
    explicit ByteWriter(QByteArray& out) : out_(out) {}

    void u16(quint16 v) { put(qToLittleEndian(v)); }
    void i32(qint32 v) { put(qToLittleEndian(v)); }
    void u32(quint32 v) { put(qToLittleEndian(v)); }
    template <int N>
    void text(const char16_t (&field)[N]) {
        for (char16_t c : field) {
            u16(c);
        }
    }
    template <int N>
    void i32s(const qint32 (&values)[N]) {
        for (qint32 v : values) {
            i32(v);
        }
    }
    void clock(const ClockTime& t) {
        i32(t.hour);
        i32(t.minute);
        i32(t.second);
    }
    void date(const CalendarDate& d) {
        i32(d.year);
        i32(d.month);
        i32(d.day);
    }
    void range(const DateHourRange& r) {
        for (qint32 v : {r.startYear, r.startMonth, r.startDay, r.startHour, r.endYear, r.endMonth,
                         r.endDay, r.endHour}) {
            i32(v);
        }
    }
    void dateTime(const LocalDateTime& t) {
        for (quint16 v :
             {t.year, t.month, t.dayOfWeek, t.day, t.hour, t.minute, t.second, t.millisecond}) {
            u16(v);
        }
    }

  private:
    template <typename T>
    void put(T v) {
        out_.append(reinterpret_cast<const char*>(&v), sizeof v);
    }
    QByteArray& out_;
};

class ByteReader {
  public:
    explicit ByteReader(const QByteArray& in) : in_(in) {}

    quint16 u16() { return qFromLittleEndian(take<quint16>()); }
    qint32 i32() { return qFromLittleEndian(take<qint32>()); }
    quint32 u32() { return qFromLittleEndian(take<quint32>()); }
    template <int N>
    void text(char16_t (&field)[N]) {
        for (char16_t& c : field) {
            c = u16();
        }
    }
    template <int N>
    void i32s(qint32 (&values)[N]) {
        for (qint32& v : values) {
            v = i32();
        }
    }
    ClockTime clock() {
        ClockTime t;
        t.hour = i32();
        t.minute = i32();
        t.second = i32();
        return t;
    }
    CalendarDate date() {
        CalendarDate d;
        d.year = i32();
        d.month = i32();
        d.day = i32();
        return d;
    }
    DateHourRange range() {
        DateHourRange r;
        r.startYear = i32();
        r.startMonth = i32();
        r.startDay = i32();
        r.startHour = i32();
        r.endYear = i32();
        r.endMonth = i32();
        r.endDay = i32();
        r.endHour = i32();
        return r;
    }
    LocalDateTime dateTime() {
        LocalDateTime t;
        t.year = u16();
        t.month = u16();
        t.dayOfWeek = u16();
        t.day = u16();
        t.hour = u16();
        t.minute = u16();
        t.second = u16();
        t.millisecond = u16();
        return t;
    }
    qsizetype position() const { return pos_; }

  private:
    template <typename T>
    T take() {
        T v{};
        if (pos_ + qsizetype(sizeof v) <= in_.size()) {
            std::memcpy(&v, in_.constData() + pos_, sizeof v);
        }
        pos_ += sizeof v;
        return v;
    }
    const QByteArray& in_;
    qsizetype pos_ = 0;
};

// One 32-bit field on its own, as the count blocks of the data files are written.
inline QByteArray i32Block(qint32 v) {
    QByteArray out;
    ByteWriter(out).i32(v);
    return out;
}
