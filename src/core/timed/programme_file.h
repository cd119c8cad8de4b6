#pragma once

#include <QString>

#include "core/timed/programme_table.h"

class DataFileWriter;

inline const QString kProgrammeFileName = QStringLiteral("定时播设置t");

// Writes the whole table: the count, the records in table order, the digest.
bool saveProgrammes(const QString& dataFolder, const ProgrammeTable& table, bool rescueHint,
                    QString& message);
// Opens the writer and writes the table, sealed under its temporary name (see
// DataFileWriter::seal); the caller puts it in place.
bool sealProgrammes(DataFileWriter& writer, const ProgrammeTable& table, QString& message);
// Appends the file's programmes; an absent file is an empty table. On any failure the table
// is left empty and the message says why.
bool loadProgrammes(const QString& dataFolder, ProgrammeTable& table, QString& message);
// The checks a stored record must pass; also fixes the fields the reader forces.
bool acceptStoredProgramme(Programme& p);
