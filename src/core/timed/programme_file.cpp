#include "core/timed/programme_file.h"

#include "core/storage/data_file.h"

namespace {

// The largest valid file: a full table.
constexpr qint64 kMaxProgrammeFileBytes =
    4 + qint64{kMaxProgrammes} * kProgrammeRecordBytes + kDigestBytes;

bool anySet(const qint32* flags, int count) {
    for (int i = 0; i < count; ++i) {
        if (flags[i] != 0) {
            return true;
        }
    }
    return false;
}

}  // namespace

bool saveProgrammes(const QString& dataFolder, const ProgrammeTable& table, bool rescueHint,
                    QString& message) {
    DataFileWriter writer(dataFolder, kProgrammeFileName, MidWriteWording::Timetable, rescueHint);
    return sealProgrammes(writer, table, message) && writer.place(message);
}

bool sealProgrammes(DataFileWriter& writer, const ProgrammeTable& table, QString& message) {
    if (!writer.open(message)) {
        return false;
    }
    writer.write(countBlock(static_cast<quint32>(table.size())));
    for (const Programme& p : table.items()) {
        writer.write(encodeProgramme(p));
    }
    return writer.seal(message);
}

bool acceptStoredProgramme(Programme& p) {
    p.name[63] = 0;
    if (p.volume < 25 || p.volume > 100) {
        return false;
    }
    p.path[259] = 0;
    if (p.startCount < 1 || p.startCount > kMaxStartTimes) {
        return false;
    }
    for (int i = 0; i < p.startCount; ++i) {
        if (!isValidClockTime(p.startTimes[i])) {
            return false;
        }
    }
    if (p.countByTracks != 0 ? p.trackCount < 1 : p.secondsCount < 1) {
        return false;
    }
    // Whatever was stored, a loaded programme has never fired.
    p.lastStartTime = neverDateTime();
    if (p.byWeekday != 0 ? !anySet(p.weekdays, 7) : !anySet(p.monthDays, 31)) {
        return false;
    }
    return isValidDateHourRange(p.dateRange);
}

bool loadProgrammes(const QString& dataFolder, ProgrammeTable& table, QString& message) {
    DataFileReader reader(dataFolder, kProgrammeFileName, kMaxProgrammeFileBytes);
    if (const auto opened = reader.open(message); opened != DataFileReader::Opened::Open) {
        return opened == DataFileReader::Opened::Absent;
    }
    QByteArray block;
    const quint32 count = reader.readCount(static_cast<quint32>(kMaxProgrammes));
    for (quint32 i = 0; i < count && !reader.failed(); ++i) {
        if (!reader.read(block, kProgrammeRecordBytes)) {
            break;
        }
        Programme p = decodeProgramme(block);
        if (!acceptStoredProgramme(p)) {
            reader.reject();
            break;
        }
        table.append(p);
    }
    if (!reader.finish(message)) {
        table.clear();
        return false;
    }
    return true;
}
