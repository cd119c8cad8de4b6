#include "core/timed/programme.h"

#include "core/support/byte_codec.h"
#include "core/support/text.h"

Programme blankProgramme() {
    Programme p{};
    return p;
}

Programme newProgramme() {
    Programme p = blankProgramme();
    p.volume = 80;
    p.singleFile = 1;
    p.sequential = 0;
    p.startCount = 1;
    p.startTimes[0] = ClockTime{22, 10, 10};
    p.countByTracks = 1;
    p.trackCount = 1;
    p.secondsCount = 600;
    p.lastStartTime = neverDateTime();
    p.byWeekday = 1;
    for (qint32& day : p.weekdays) {
        day = 1;
    }
    p.dateRange = DateHourRange{2000, 1, 1, 0, 2099, 12, 31, 24};
    p.queueWhenBusy = 0;
    p.disabled = 0;
    return p;
}

QString programmeName(const Programme& p) {
    return fieldText(p.name);
}

QString programmePath(const Programme& p) {
    return fieldText(p.path);
}

void setProgrammeName(Programme& p, const QString& name) {
    setFieldText(p.name, name);
}

void setProgrammePath(Programme& p, const QString& path) {
    setFieldText(p.path, path);
}

QByteArray encodeProgramme(const Programme& p) {
    QByteArray out;
    out.reserve(kProgrammeRecordBytes);
    ByteWriter w(out);
    w.text(p.name);
    w.i32(p.volume);
    w.u32(p.singleFile);
    w.text(p.path);
    w.u32(p.sequential);
    w.i32(p.startCount);
    for (const ClockTime& t : p.startTimes) {
        w.clock(t);
    }
    w.u32(p.countByTracks);
    w.i32(p.trackCount);
    w.i32(p.secondsCount);
    w.dateTime(p.lastStartTime);
    w.u32(p.byWeekday);
    w.i32s(p.weekdays);
    w.i32s(p.monthDays);
    w.range(p.dateRange);
    w.u32(p.queueWhenBusy);
    w.u32(p.disabled);
    return out;
}

Programme decodeProgramme(const QByteArray& bytes) {
    Programme p = blankProgramme();
    ByteReader r(bytes);
    r.text(p.name);
    p.volume = r.i32();
    p.singleFile = r.u32();
    r.text(p.path);
    p.sequential = r.u32();
    p.startCount = r.i32();
    for (ClockTime& t : p.startTimes) {
        t = r.clock();
    }
    p.countByTracks = r.u32();
    p.trackCount = r.i32();
    p.secondsCount = r.i32();
    p.lastStartTime = r.dateTime();
    p.byWeekday = r.u32();
    r.i32s(p.weekdays);
    r.i32s(p.monthDays);
    p.dateRange = r.range();
    p.queueWhenBusy = r.u32();
    p.disabled = r.u32();
    return p;
}
