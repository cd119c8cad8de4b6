#include "core/timed/programme_file.h"
#include "data_file_fuzzing.h"

namespace {

Programme sample(const QString& name, int starts, bool byWeekday, bool byTracks) {
    Programme p = newProgramme();
    setProgrammeName(p, name);
    setProgrammePath(p, QStringLiteral("/home/school/音乐/") + name + QStringLiteral(".mp3"));
    p.startCount = starts;
    for (int i = 0; i < starts; ++i) {
        p.startTimes[i] = ClockTime{(7 + i / 60) % 24, i % 60, (i * 7) % 60};
    }
    p.byWeekday = byWeekday ? 1 : 0;
    p.monthDays[0] = 1;
    p.monthDays[30] = 1;
    p.countByTracks = byTracks ? 1 : 0;
    p.trackCount = 3;
    p.secondsCount = 90;
    p.dateRange = DateHourRange{2026, 2, 28, 6, 2026, 7, 15, 18};
    return p;
}

std::vector<ProgrammeTable> seeds() {
    std::vector<ProgrammeTable> tables(4);
    tables[1].append(newProgramme());
    tables[2].append(sample(QStringLiteral("早操"), 1, true, true));
    Programme folder = sample(QStringLiteral("课间音乐"), 8, false, false);
    folder.singleFile = 0;
    folder.sequential = 1;
    folder.queueWhenBusy = 1;
    tables[2].append(folder);
    Programme bell = sample(QStringLiteral("上课铃"), 40, true, true);
    bell.disabled = 1;
    bell.volume = 25;
    tables[3] = tables[2];
    tables[3].append(bell);
    return tables;
}

const FuzzedFormat<ProgrammeTable> kFormat{
    kProgrammeFileName,
    ProgrammeTable{},
    ProgrammeTable{},
    [](const QString& folder, ProgrammeTable& table, QString& message) {
        return loadProgrammes(folder, table, message);
    },
    [](const QString& folder, const ProgrammeTable& table, QString& message) {
        return saveProgrammes(folder, table, false, message);
    },
    seeds,
};

}  // namespace

KB_DATA_FILE_FUZZER(kFormat)
