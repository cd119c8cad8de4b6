#include "core/timed/timetable_backup.h"
#include "core/support/messages.h"

#include <archive.h>
#include <archive_entry.h>
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

QString readFailure(const QString& path, int error) {
    return QStringLiteral("读文件失败：\n%1\n\n%2").arg(path, runtimeErrorText(error)) +
           kSupportLine;
}

QString contentFailure(const QString& path) {
    return QStringLiteral("读文件失败：\n%1\n\n文件内容有错误").arg(path);
}

QString writeFailure(const QString& path, int error) {
    return QStringLiteral("写文件失败：\n%1\n\n%2").arg(path, runtimeErrorText(error)) +
           kSupportLine;
}

struct ArchiveEntry {
    QString name;
    QByteArray content;
};

// The two files of a backup, as their writers write them.
bool stageTimetable(const ProgrammeTable& programmes, const HolidayCalendar& calendar,
                    std::vector<ArchiveEntry>& entries, QString& message) {
    QTemporaryDir staging;
    if (!staging.isValid()) {
        message = writeFailure(staging.path(), EIO);
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
            message = readFailure(file.fileName(), EIO);
            return false;
        }
        entries.push_back({name, file.readAll()});
    }
    return true;
}

la_ssize_t appendToArray(archive*, void* array, const void* buffer, size_t length) {
    static_cast<QByteArray*>(array)->append(static_cast<const char*>(buffer),
                                            static_cast<qsizetype>(length));
    return static_cast<la_ssize_t>(length);
}

// The ZIP archive of the entries, with UTF-8 names.
bool zipEntries(const std::vector<ArchiveEntry>& entries, QByteArray& zipped) {
    archive* zip = archive_write_new();
    // No padding after the end record: some archive managers read that as damage.
    bool ok = archive_write_set_format_zip(zip) == ARCHIVE_OK &&
              archive_write_set_format_option(zip, "zip", "hdrcharset", "UTF-8") == ARCHIVE_OK &&
              archive_write_set_bytes_in_last_block(zip, 1) == ARCHIVE_OK &&
              archive_write_open(zip, &zipped, nullptr, appendToArray, nullptr) == ARCHIVE_OK;
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    for (const ArchiveEntry& e : entries) {
        if (!ok) {
            break;
        }
        archive_entry* entry = archive_entry_new();
        archive_entry_set_pathname_utf8(entry, e.name.toUtf8().constData());
        archive_entry_set_filetype(entry, AE_IFREG);
        archive_entry_set_perm(entry, 0644);
        archive_entry_set_size(entry, e.content.size());
        archive_entry_set_mtime(entry, now, 0);
        ok = archive_write_header(zip, entry) == ARCHIVE_OK &&
             archive_write_data(zip, e.content.constData(),
                                static_cast<size_t>(e.content.size())) == e.content.size();
        archive_entry_free(entry);
    }
    ok = archive_write_close(zip) == ARCHIVE_OK && ok;
    archive_write_free(zip);
    return ok;
}

// The entries of the archive whose last path component is one of the names; the first of
// each name counts. False when the archive cannot be read as a ZIP archive.
bool readZip(const QByteArray& data, const QStringList& names, std::vector<ArchiveEntry>& found) {
    archive* zip = archive_read_new();
    // The seekable reader starts from the central directory, so a cut archive is refused.
    archive_read_support_format_zip_seekable(zip);
    bool ok = archive_read_open_memory(zip, data.constData(), static_cast<size_t>(data.size())) ==
              ARCHIVE_OK;
    archive_entry* entry = nullptr;
    while (ok) {
        const int next = archive_read_next_header(zip, &entry);
        if (next == ARCHIVE_EOF) {
            break;
        }
        if (next != ARCHIVE_OK && next != ARCHIVE_WARN) {
            ok = false;
            break;
        }
        const char* utf8 = archive_entry_pathname_utf8(entry);
        const QString path = utf8 != nullptr ? QString::fromUtf8(utf8)
                                             : QFile::decodeName(archive_entry_pathname(entry));
        const QString name = path.mid(path.lastIndexOf(u'/') + 1);
        const bool wanted =
            names.contains(name) && archive_entry_filetype(entry) == AE_IFREG &&
            std::none_of(found.begin(), found.end(), [&](const auto& e) { return e.name == name; });
        if (!wanted) {
            ok = archive_read_data_skip(zip) == ARCHIVE_OK;
            continue;
        }
        ArchiveEntry kept{name, QByteArray()};
        char buffer[65536];
        for (;;) {
            const la_ssize_t got = archive_read_data(zip, buffer, sizeof buffer);
            if (got == 0) {
                break;
            }
            if (got < 0 || kept.content.size() + got > kMaxEntryBytes) {
                ok = false;
                break;
            }
            kept.content.append(buffer, got);
        }
        found.push_back(std::move(kept));
    }
    archive_read_free(zip);
    return ok;
}

}  // namespace

QString suggestedBackupName(const QDate& date) {
    return QStringLiteral("节目备份_%1.zip").arg(date.toString(QStringLiteral("yyyy-MM-dd")));
}

bool writeTimetableBackup(const QString& archivePath, const ProgrammeTable& programmes,
                          const HolidayCalendar& calendar, QString& message) {
    std::vector<ArchiveEntry> entries;
    if (!stageTimetable(programmes, calendar, entries, message)) {
        return false;
    }
    QByteArray zipped;
    if (!zipEntries(entries, zipped)) {
        message = writeFailure(archivePath, EIO);
        return false;
    }
    const int error = replaceWholeFile(archivePath, zipped);
    if (error != 0) {
        message = writeFailure(archivePath, error);
        return false;
    }
    return true;
}

bool readTimetableBackup(const QString& archivePath, Timetable& timetable, QString& message) {
    QByteArray data;
    const int error = readWholeFile(archivePath, kMaxArchiveBytes, data);
    if (error == EFBIG) {
        message = contentFailure(archivePath);
        return false;
    }
    if (error != 0) {
        message = readFailure(archivePath, error);
        return false;
    }
    const QStringList names = {kProgrammeFileName, kHolidayFileName};
    std::vector<ArchiveEntry> found;
    if (centralRecords(data) > kMaxArchiveEntries || !readZip(data, names, found)) {
        message = contentFailure(archivePath);
        return false;
    }
    QTemporaryDir staging;
    for (const QString& name : names) {
        const auto it = std::find_if(found.begin(), found.end(),
                                     [&](const ArchiveEntry& e) { return e.name == name; });
        if (it == found.end()) {
            message = contentFailure(archivePath + u'/' + name);
            return false;
        }
        QFile file(joinPath(staging.path(), name));
        if (!staging.isValid() || !file.open(QIODevice::WriteOnly) ||
            file.write(it->content) != it->content.size()) {
            message = readFailure(archivePath, EIO);
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
