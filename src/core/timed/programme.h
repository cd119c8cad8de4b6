#pragma once

#include <QByteArray>
#include <QString>

#include "core/support/date_time.h"

constexpr int kMaxStartTimes = 512;
constexpr int kProgrammeRecordBytes = 7032;

// One scheduled broadcast item, exactly as the timed-play file stores it.
struct Programme {
    char16_t name[64];
    qint32 volume;
    quint32 singleFile;  // 1: one music file, 0: a music folder
    char16_t path[260];
    quint32 sequential;  // folder order: 1 by name, 0 random
    qint32 startCount;
    ClockTime startTimes[kMaxStartTimes];
    quint32 countByTracks;  // 1: n passes or tracks, 0: n seconds
    qint32 trackCount;
    qint32 secondsCount;
    LocalDateTime lastStartTime;  // the start that last fired; neverDateTime() when none
    quint32 byWeekday;            // 1: weekdays count, 0: days of the month
    qint32 weekdays[7];           // Monday first
    qint32 monthDays[31];
    DateHourRange dateRange;
    quint32 queueWhenBusy;  // 0: pre-empts what plays, 1: waits behind it
    quint32 disabled;
};
static_assert(sizeof(Programme) == kProgrammeRecordBytes);

// A zero-filled record with the editor's defaults for a new programme.
Programme newProgramme();
// A zero-filled record.
Programme blankProgramme();

QString programmeName(const Programme& p);
QString programmePath(const Programme& p);
void setProgrammeName(Programme& p, const QString& name);
void setProgrammePath(Programme& p, const QString& path);

QByteArray encodeProgramme(const Programme& p);
// Decodes one stored record of kProgrammeRecordBytes bytes.
Programme decodeProgramme(const QByteArray& bytes);
