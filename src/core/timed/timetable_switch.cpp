#include "core/timed/timetable_switch.h"

#include "core/holidays/holiday_file.h"
#include "core/timed/programme_file.h"

namespace {

// As long as a programme that pre-empts another fades it.
constexpr int kStopFadeMs = 600;

}  // namespace

TimetableSwitch::TimetableSwitch(const QString& dataFolder, ProgrammeTable& programmes,
                                 HolidayCalendar& calendar, RunEngine& runs, Clock& clock,
                                 QObject* parent)
    : QObject(parent),
      dataFolder_(dataFolder),
      programmes_(programmes),
      calendar_(calendar),
      runs_(runs),
      clock_(clock) {}

QString TimetableSwitch::stopReason() {
    return QStringLiteral("作息表切换: 已还原备份");
}

bool TimetableSwitch::backup(const QString& archivePath, QString& message) {
    return writeTimetableBackup(archivePath, programmes_, calendar_, message);
}

bool TimetableSwitch::restore(const QString& archivePath, QString& message) {
    Timetable restored;
    if (!readTimetableBackup(archivePath, restored, message)) {
        return false;
    }
    const LocalDateTime now = wholeSecond(clock_.now());
    runs_.stopAllRuns(stopReason(), kStopFadeMs, now);
    if (!writeTimetableFiles(dataFolder_, restored, programmes_, message)) {
        return false;
    }
    // What was due before the switch has had its turn: the new timetable plays from its
    // next start, so nothing rings twice.
    for (Programme& p : restored.programmes.items()) {
        p.lastStartTime = now;
    }
    programmes_ = std::move(restored.programmes);
    calendar_ = std::move(restored.calendar);
    emit timetableReplaced();
    return true;
}

bool TimetableSwitch::reloadProgrammes(QString& message) {
    ProgrammeTable loaded;
    if (!loadProgrammes(dataFolder_, loaded, message)) {
        return false;
    }
    for (Programme& p : loaded.items()) {
        const int known = programmes_.findByName(programmeName(p));
        if (known >= 0) {
            p.lastStartTime = programmes_.at(known).lastStartTime;
        }
    }
    programmes_ = std::move(loaded);
    emit timetableReplaced();
    return true;
}

bool TimetableSwitch::reloadHolidays(QString& message) {
    HolidayCalendar loaded;
    if (!loadHolidayCalendar(dataFolder_, loaded, message)) {
        return false;
    }
    calendar_ = std::move(loaded);
    emit timetableReplaced();
    return true;
}
