#include "core/moving/windows_source.h"

#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cerrno>

#include "core/holidays/holiday_file.h"
#include "core/immediate/immediate_file.h"
#include "core/settings/settings_file.h"
#include "core/storage/data_file.h"
#include "core/storage/folders.h"
#include "core/storage/whole_file.h"
#include "core/storage/zip_archive.h"
#include "core/timed/programme_file.h"

namespace {

// Far above the largest data file: a larger one is refused by its reader as too long.
constexpr qint64 kMaxSourceFileBytes = 4 * 1024 * 1024;
// A zipped data folder with its play log is a few megabytes.
constexpr qint64 kMaxSourceArchiveBytes = 64 * 1024 * 1024;

const QStringList& dataFileNames() {
    static const QStringList names = {kProgrammeFileName, kImmediateFileName, kHolidayFileName,
                                      kSettingsFileName};
    return names;
}

bool collectFromFolder(const QString& folder, std::vector<ArchiveFile>& files, QString& message) {
    for (const QString& name : dataFileNames()) {
        const QString path = joinPath(folder, name);
        ArchiveFile file{name, QByteArray()};
        const int error = readWholeFile(path, kMaxSourceFileBytes + 1, file.content);
        if (error == ENOENT || error == EISDIR) {
            continue;  // as at start-up: nothing, or a folder, is no file
        }
        if (error == EINVAL || error == EFBIG) {
            message = contentFailureMessage(path);
            return false;
        }
        if (error != 0) {
            message = readFailureMessage(path, error);
            return false;
        }
        files.push_back(std::move(file));
    }
    return true;
}

bool collectFromArchive(const QString& archivePath, std::vector<ArchiveFile>& files,
                        QString& message) {
    QByteArray zipped;
    const int error = readWholeFile(archivePath, kMaxSourceArchiveBytes, zipped);
    if (error == EINVAL || error == EFBIG) {
        message = contentFailureMessage(archivePath);
        return false;
    }
    if (error != 0) {
        message = readFailureMessage(archivePath, error);
        return false;
    }
    if (!unzipFiles(zipped, dataFileNames(), kMaxSourceFileBytes + 1, files)) {
        message = contentFailureMessage(archivePath);
        return false;
    }
    return true;
}

bool holds(const std::vector<ArchiveFile>& files, const QString& name) {
    return std::any_of(files.begin(), files.end(),
                       [&](const ArchiveFile& f) { return f.name == name; });
}

// The readers of start-up on the copied files, in start-up order.
bool readStaged(const QString& folder, const std::vector<ArchiveFile>& files,
                ImportedTables& tables, QString& message) {
    if (holds(files, kProgrammeFileName)) {
        tables.programmes.emplace();
        if (!loadProgrammes(folder, *tables.programmes, message)) {
            return false;
        }
    }
    if (holds(files, kImmediateFileName)) {
        tables.immediate.emplace();
        if (!loadImmediateSettings(folder, QString(), *tables.immediate, message)) {
            return false;
        }
    }
    if (holds(files, kHolidayFileName)) {
        tables.calendar.emplace();
        if (!loadHolidayCalendar(folder, *tables.calendar, message)) {
            return false;
        }
    }
    if (holds(files, kSettingsFileName)) {
        tables.settings = firstRunSettings();
        if (!loadSystemSettings(folder, *tables.settings, message)) {
            return false;
        }
    }
    return true;
}

}  // namespace

bool readWindowsSource(const QString& source, ImportedTables& tables, QString& message) {
    tables = ImportedTables();
    std::vector<ArchiveFile> files;
    const bool folder = isFolder(source);
    if (!(folder ? collectFromFolder(source, files, message)
                 : collectFromArchive(source, files, message))) {
        return false;
    }
    if (files.empty()) {
        message = QStringLiteral("导入失败：\n%1\n\n这里没有 Windows 版的数据文件 (%2)")
                      .arg(source, dataFileNames().join(QStringLiteral("、")));
        return false;
    }
    // The readers read from a folder; a scratch copy also keeps the copies they make of a
    // damaged file out of the source.
    QTemporaryDir staging;
    for (const ArchiveFile& file : files) {
        QFile copy(joinPath(staging.path(), file.name));
        if (!staging.isValid() || !copy.open(QIODevice::WriteOnly) ||
            copy.write(file.content) != file.content.size()) {
            message = readFailureMessage(source, EIO);
            return false;
        }
    }
    if (!readStaged(staging.path(), files, tables, message)) {
        // The message names the file in the source: in the folder, or inside the archive.
        message.replace(staging.path(), source);
        tables = ImportedTables();
        return false;
    }
    return true;
}
