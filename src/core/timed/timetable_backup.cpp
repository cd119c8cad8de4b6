#include "core/timed/timetable_backup.h"
#include "core/support/messages.h"

#include <unistd.h>
#include <QDateTime>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cerrno>
#include <utility>

#include "core/holidays/holiday_file.h"
#include "core/storage/data_file.h"
#include "core/storage/folders.h"
#include "core/storage/whole_file.h"
#include "core/storage/zip_archive.h"
#include "core/support/system_text.h"
#include "core/timed/programme_file.h"

namespace {

// A backup of the largest timetable is under 2 MB; anything far larger is not one.
constexpr qint64 kMaxArchiveBytes = 16 * 1024 * 1024;
constexpr qint64 kMaxEntryBytes = 4 * 1024 * 1024;
// A backup has two entries; an archive manager may add a folder or two. An archive with
// thousands is not a backup, and listing them all would hold the window for seconds.
constexpr qsizetype kMaxArchiveEntries = 256;
// Beside the programme file while a restore puts the new pair in place (a leftover goes
// with the interrupted saves at the next start).
const QString kKeptSuffix = QStringLiteral(".previous");

// The central directory's records, counted by their signature without reading the archive.
qsizetype centralRecords(const QByteArray& data) {
    return data.count(QByteArrayView("PK\x01\x02", 4));
}

// The two files of a backup, as their writers write them.
bool stageTimetable(const ProgrammeTable& programmes, const HolidayCalendar& calendar,
                    std::vector<ArchiveFile>& entries, QString& message) {
    QTemporaryDir staging;
    if (!staging.isValid()) {
        message = writeFailureMessage(staging.path(), EIO);
        return false;
    }
    // A loaded programme has never fired; the backup says so too.
    ProgrammeTable copy = programmes;
    for (Programme& p : copy.items()) {
        p.lastStartTime = neverDateTime();
    }
    if (!saveProgrammes(staging.path(), copy, false, message) ||
        !saveHolidayCalendar(staging.path(), calendar, false, message)) {
        return false;
    }
    for (const QString& name : {kProgrammeFileName, kHolidayFileName}) {
        QFile file(joinPath(staging.path(), name));
        if (!file.open(QIODevice::ReadOnly)) {
            message = readFailureMessage(file.fileName(), EIO);
            return false;
        }
        entries.push_back({name, file.readAll()});
    }
    return true;
}

}  // namespace

QString suggestedBackupName(const QDate& date) {
    return QStringLiteral("节目备份_%1.zip").arg(date.toString(QStringLiteral("yyyy-MM-dd")));
}

bool writeTimetableBackup(const QString& archivePath, const ProgrammeTable& programmes,
                          const HolidayCalendar& calendar, QString& message,
                          const std::vector<ArchiveFile>& moreFiles) {
    std::vector<ArchiveFile> entries;
    if (!stageTimetable(programmes, calendar, entries, message)) {
        return false;
    }
    entries.insert(entries.end(), moreFiles.begin(), moreFiles.end());
    QByteArray zipped;
    if (!zipFiles(entries, zipped)) {
        message = writeFailureMessage(archivePath, EIO);
        return false;
    }
    const int error = replaceWholeFile(archivePath, zipped);
    if (error != 0) {
        message = writeFailureMessage(archivePath, error);
        return false;
    }
    return true;
}

bool readTimetableBackup(const QString& archivePath, Timetable& timetable, QString& message) {
    QByteArray data;
    const int error = readWholeFile(archivePath, kMaxArchiveBytes, data);
    if (error == EFBIG) {
        message = contentFailureMessage(archivePath);
        return false;
    }
    if (error != 0) {
        message = readFailureMessage(archivePath, error);
        return false;
    }
    const QStringList names = {kProgrammeFileName, kHolidayFileName};
    std::vector<ArchiveFile> found;
    if (centralRecords(data) > kMaxArchiveEntries ||
        !unzipFiles(data, names, kMaxEntryBytes, found)) {
        message = contentFailureMessage(archivePath);
        return false;
    }
    QTemporaryDir staging;
    for (const QString& name : names) {
        const auto it = std::find_if(found.begin(), found.end(),
                                     [&](const ArchiveFile& e) { return e.name == name; });
        if (it == found.end()) {
            message = contentFailureMessage(archivePath + u'/' + name);
            return false;
        }
        QFile file(joinPath(staging.path(), name));
        if (!staging.isValid() || !file.open(QIODevice::WriteOnly) ||
            file.write(it->content) != it->content.size()) {
            message = readFailureMessage(archivePath, EIO);
            return false;
        }
    }
    // The readers' own checks and messages, naming the file inside the archive.
    Timetable read;
    const bool ok = loadProgrammes(staging.path(), read.programmes, message) &&
                    loadHolidayCalendar(staging.path(), read.calendar, message);
    if (!ok) {
        message.replace(staging.path(), archivePath);
        return false;
    }
    timetable = std::move(read);
    return true;
}

bool writeTimetableFiles(const QString& dataFolder, const Timetable& timetable,
                         const ProgrammeTable& previousProgrammes, QString& message) {
    // Both files are whole on disk before either replaces its old one: a full disk or a
    // failed write leaves the old pair.
    DataFileWriter programmes(dataFolder, kProgrammeFileName, MidWriteWording::Timetable, false);
    DataFileWriter holidays(dataFolder, kHolidayFileName, MidWriteWording::Timetable, false);
    if (!sealProgrammes(programmes, timetable.programmes, message) ||
        !sealHolidayCalendar(holidays, timetable.calendar, message)) {
        return false;
    }
    // The old programme file stays reachable until the holidays are in place too, so that a
    // failed second rename can put it back without writing anything.
    const QByteArray current = QFile::encodeName(programmes.path());
    const QByteArray kept = QFile::encodeName(savingPathFor(programmes.path() + kKeptSuffix));
    ::unlink(kept.constData());
    const bool hadOld = ::link(current.constData(), kept.constData()) == 0;
    if (!programmes.place(message)) {
        ::unlink(kept.constData());
        return false;
    }
    if (!holidays.place(message)) {
        QString ignored;
        if (!hadOld || ::rename(kept.constData(), current.constData()) != 0) {
            saveProgrammes(dataFolder, previousProgrammes, false, ignored);
        }
        ::unlink(kept.constData());
        return false;
    }
    ::unlink(kept.constData());
    return true;
}
