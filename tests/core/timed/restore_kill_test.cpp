#include <gtest/gtest.h>
#include <signal.h>
#include <QDir>
#include <QProcess>
#include <QThread>
#include <algorithm>
#include <map>
#include <random>

#include "core/holidays/holiday_file.h"
#include "core/support/text.h"
#include "core/timed/programme_file.h"
#include "core/timed/timetable_backup.h"
#include "helpers/programme_builders.h"
#include "helpers/temp_folder.h"

namespace {

const QString kProgrammeFile = QStringLiteral("定时播设置t");
const QString kHolidayFile = QStringLiteral("节假日和调休t");

Timetable timetableOf(const QString& prefix, int programmes, int holidays) {
    Timetable t;
    for (int i = 0; i < programmes; ++i) {
        t.programmes.append(makeProgramme(prefix + QString::number(i), {{8, 0, 0}}));
    }
    for (int i = 0; i < holidays; ++i) {
        Holiday h = blankHoliday();
        setFieldText(h.name, prefix + QString::number(i));
        h.range = {2026, 5, 1, 0, 2026, 5, 5, 24};
        t.calendar.holidays.push_back(h);
    }
    return t;
}

struct FilePair {
    QByteArray programmes;
    QByteArray holidays;
};

FilePair pairIn(const QString& folder) {
    return {readBytes(folder + u'/' + kProgrammeFile), readBytes(folder + u'/' + kHolidayFile)};
}

void putFiles(const QString& folder, const FilePair& files) {
    writeBytes(folder + u'/' + kProgrammeFile, files.programmes);
    writeBytes(folder + u'/' + kHolidayFile, files.holidays);
}

QString name(const QByteArray& bytes, const QByteArray& old, const QByteArray& fresh) {
    return bytes == old     ? QStringLiteral("old")
           : bytes == fresh ? QStringLiteral("new")
                            : QStringLiteral("TORN");
}

// Starts the child, lets it restore, and kills it after `killAfterUs` (or lets it finish
// when negative). The microseconds the restore took when it finished, else -1.
qint64 runChild(const QString& data, const QString& archive, qint64 killAfterUs) {
    QProcess child;
    child.start(QStringLiteral(KB_RESTORE_CHILD), {data, archive});
    if (!child.waitForStarted(5000) || !child.waitForReadyRead(5000)) {
        return -1;
    }
    child.readAllStandardOutput();
    child.write("go\n");
    child.waitForBytesWritten(1000);
    if (killAfterUs >= 0) {
        QThread::usleep(static_cast<unsigned long>(killAfterUs));
        ::kill(static_cast<pid_t>(child.processId()), SIGKILL);
    }
    child.waitForFinished(10000);
    const QByteArray out = child.readAllStandardOutput();
    return out.startsWith("done ") ? out.mid(5).trimmed().toLongLong() : -1;
}

}  // namespace

TEST(RestoreKill, AKillAtAnyMomentLeavesEachFileWholeOldOrNew) {
    TempFolder dir;
    const QString data = dir.file(QStringLiteral("data"));
    const Timetable old = timetableOf(QStringLiteral("旧"), 3, 2);
    // The largest timetable, so that the writes take long enough to be hit.
    const Timetable fresh = timetableOf(QStringLiteral("新"), 256, 128);
    QString message;
    ASSERT_TRUE(writeTimetableFiles(data, old, ProgrammeTable(), message));
    const FilePair oldFiles = pairIn(data);
    const QString archive = dir.file(QStringLiteral("new.zip"));
    ASSERT_TRUE(writeTimetableBackup(archive, fresh.programmes, fresh.calendar, message));
    {
        TempFolder scratch;
        ASSERT_TRUE(writeTimetableFiles(scratch.path(), fresh, ProgrammeTable(), message));
        const FilePair newFiles = pairIn(scratch.path());
        ASSERT_NE(newFiles.programmes, oldFiles.programmes);

        // How long a whole restore takes here: the kills fall within that time.
        std::vector<qint64> took;
        for (int i = 0; i < 3; ++i) {
            putFiles(data, oldFiles);
            took.push_back(runChild(data, archive, -1));
            ASSERT_GT(took.back(), 0);
            EXPECT_EQ(pairIn(data).programmes, newFiles.programmes);
        }
        std::sort(took.begin(), took.end());
        const qint64 window = took[1] * 12 / 10;

        const unsigned seed = std::random_device()();
        std::mt19937 random(seed);
        std::uniform_int_distribution<qint64> moment(0, window);
        std::map<QString, int> outcomes;
        int validFiles = 0;
        int cutWrites = 0;
        constexpr int kRuns = 50;
        for (int run = 0; run < kRuns; ++run) {
            putFiles(data, oldFiles);
            for (const QString& temp :
                 QDir(data).entryList({QStringLiteral(".*.saving")}, QDir::Files | QDir::Hidden)) {
                QFile::remove(data + u'/' + temp);
            }
            runChild(data, archive, moment(random));
            // A temporary left behind: the kill fell inside a write.
            cutWrites += !QDir(data)
                              .entryList({QStringLiteral(".*.saving")}, QDir::Files | QDir::Hidden)
                              .isEmpty();
            const FilePair after = pairIn(data);
            ++outcomes[QStringLiteral("programmes %1, holidays %2")
                           .arg(name(after.programmes, oldFiles.programmes, newFiles.programmes),
                                name(after.holidays, oldFiles.holidays, newFiles.holidays))];
            ProgrammeTable programmes;
            HolidayCalendar calendar;
            validFiles += loadProgrammes(data, programmes, message) &&
                          loadHolidayCalendar(data, calendar, message);
        }
        std::printf(
            "kill -9 during restore: %d runs, kills within %lld us (restore takes %lld us), "
            "seed %u\n",
            kRuns, static_cast<long long>(window), static_cast<long long>(took[1]), seed);
        std::printf("  kills that fell inside a file write (a temporary left): %d\n", cutWrites);
        int torn = 0;
        for (const auto& [outcome, count] : outcomes) {
            std::printf("  %-40s %d\n", outcome.toUtf8().constData(), count);
            torn += outcome.contains(QStringLiteral("TORN")) ? count : 0;
        }
        EXPECT_EQ(torn, 0);
        EXPECT_EQ(validFiles, kRuns) << "every file the readers accept";
        EXPECT_EQ(outcomes.count(QStringLiteral("programmes old, holidays new")), 0u)
            << "the programmes are written first";
    }
}
