#pragma once

#include <QString>

#include "core/holidays/holiday_calendar.h"

class DataFileWriter;

inline const QString kHolidayFileName = QStringLiteral("节假日和调休t");

bool saveHolidayCalendar(const QString& dataFolder, const HolidayCalendar& calendar,
                         bool rescueHint, QString& message);
// Opens the writer and writes the calendar, sealed under its temporary name (see
// DataFileWriter::seal); the caller puts it in place.
bool sealHolidayCalendar(DataFileWriter& writer, const HolidayCalendar& calendar, QString& message);
// Appends the file's entries; an absent file leaves the lists as they are. On any failure
// both lists are left empty and the message says why.
bool loadHolidayCalendar(const QString& dataFolder, HolidayCalendar& calendar, QString& message);

QByteArray encodeHoliday(const Holiday& h);
QByteArray encodeAdjustedDay(const AdjustedDay& a);
