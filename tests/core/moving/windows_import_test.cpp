#include <archive.h>
#include <archive_entry.h>
#include <gtest/gtest.h>
#include <QDir>

#include "core/moving/moving_in.h"
#include "core/storage/zip_archive.h"
#include "core/timed/timetable_backup.h"
#include "helpers/programme_builders.h"
#include "helpers/windows_school.h"

namespace {

const QStringList kDataFiles = {kProgrammeFileName, kImmediateFileName, kHolidayFileName,
                                kSettingsFileName};

// The four files the writers make of the tables: equal files, equal tables.
QList<QByteArray> writtenFiles(const DataTables& tables) {
    TempFolder folder;
    QString message;
    EXPECT_TRUE(saveProgrammes(folder.path(), tables.programmes, false, message) &&
                saveImmediateSettings(folder.path(), tables.immediate, message) &&
                saveHolidayCalendar(folder.path(), tables.calendar, false, message) &&
                saveSystemSettings(folder.path(), tables.settings, message))
        << message.toStdString();
    QList<QByteArray> files;
    for (const QString& name : kDataFiles) {
        files.append(readBytes(folder.file(name)));
    }
    return files;
}

DataTables allOf(const ImportedTables& imported) {
    DataTables tables;
    EXPECT_TRUE(imported.programmes && imported.immediate && imported.calendar &&
                imported.settings);
    tables.programmes = imported.programmes.value_or(ProgrammeTable());
    tables.immediate = imported.immediate.value_or(ImmediateSettings());
    tables.calendar = imported.calendar.value_or(HolidayCalendar());
    tables.settings = imported.settings.value_or(SystemSettings());
    return tables;
}

QList<PathMapping> mappingsOf(const QStringList& texts) {
    QList<PathMapping> mappings;
    for (const QString& text : texts) {
        PathMapping m;
        EXPECT_TRUE(parsePathMapping(text, m)) << text.toStdString();
        mappings.append(m);
    }
    return mappings;
}

// A ZIP as the Chinese Windows shell makes one of a folder: the folder's name first, and the
// names in the local code page without the UTF-8 flag.
QByteArray shellZip(const QString& folder) {
    std::vector<char> buffer(8 * 1024 * 1024);
    size_t used = 0;
    archive* zip = archive_write_new();
    archive_write_set_format_zip(zip);
    archive_write_set_format_option(zip, "zip", "hdrcharset", "CP936");
    archive_write_set_bytes_in_last_block(zip, 1);
    archive_write_open_memory(zip, buffer.data(), buffer.size(), &used);
    for (const QString& name : kDataFiles) {
        const QByteArray content = readBytes(folder + u'/' + name);
        const QByteArray path = (QStringLiteral("KelvoraBroadcasting9/") + name).toUtf8();
        archive_entry* entry = archive_entry_new();
        archive_entry_update_pathname_utf8(entry, path.constData());
        archive_entry_set_filetype(entry, AE_IFREG);
        archive_entry_set_perm(entry, 0644);
        archive_entry_set_size(entry, content.size());
        archive_write_header(zip, entry);
        archive_write_data(zip, content.constData(), static_cast<size_t>(content.size()));
        archive_entry_free(entry);
    }
    archive_write_close(zip);
    archive_write_free(zip);
    return QByteArray(buffer.data(), static_cast<qsizetype>(used));
}

}  // namespace

TEST(WindowsImport, TheFolderOrAZipOfItGivesTheTimetableMadeHere) {
    TempFolder root;
    const WindowsSchool school = makeWindowsSchool(root.path());
    std::vector<ArchiveFile> files;
    for (const QString& name : kDataFiles) {
        files.push_back({name, readBytes(school.windowsFolder + u'/' + name)});
    }
    QByteArray zipped;
    ASSERT_TRUE(zipFiles(files, zipped));
    writeBytes(root.file(QStringLiteral("utf8.zip")), zipped);
    writeBytes(root.file(QStringLiteral("shell.zip")), shellZip(school.windowsFolder));

    for (const QString& source : {school.windowsFolder, root.file(QStringLiteral("utf8.zip")),
                                  root.file(QStringLiteral("shell.zip"))}) {
        WindowsImport import;
        QString message;
        ASSERT_TRUE(readWindowsImport(source, mappingsOf(school.mappings()), import, message))
            << source.toStdString() << ": " << message.toStdString();
        EXPECT_EQ(writtenFiles(allOf(import.tables)), writtenFiles(school.native))
            << source.toStdString();
        // Each distinct path of the Windows files once: the two spellings of one bell count
        // twice, as Windows wrote them.
        EXPECT_EQ(import.paths.total, 8);
        EXPECT_EQ(import.paths.found, 5);
        EXPECT_EQ(import.paths.missing, school.missing);
        EXPECT_EQ(windowsImportSummary(import),
                  QStringLiteral("导入完成: 节目 5 个, 节假日 1 个, 调休 1 个, 立即播曲目 3 首; "
                                 "路径 8 个, 找到 5 个, 未找到 3 个"));
    }
}

TEST(WindowsImport, NamesAfterTheLongestPrefixAreFoundIgnoringCase) {
    TempFolder root;
    const QString d = root.file(QStringLiteral("d"));
    const QString bells = root.file(QStringLiteral("bells"));
    for (const QString& file :
         {d + QStringLiteral("/广播站/Notice.WAV"), bells + QStringLiteral("/铃声/上课铃.mp3"),
          bells + QStringLiteral("/铃声/Exam/end.mp3")}) {
        QDir().mkpath(QFileInfo(file).absolutePath());
        writeBytes(file, "x");
    }
    const PathMapper mapper(
        mappingsOf({QStringLiteral("D:=") + d, QStringLiteral("d:\\广播\\=") + bells + u'/'}));
    const struct {
        QString windows;
        QString here;
        bool found;
    } cases[] = {
        {QStringLiteral("D:\\广播\\铃声\\上课铃.MP3"), bells + QStringLiteral("/铃声/上课铃.mp3"),
         true},
        {QStringLiteral("d:\\广播\\铃声\\EXAM\\END.Mp3"),
         bells + QStringLiteral("/铃声/Exam/end.mp3"), true},
        // Whole names only: 广播站 is not below 广播.
        {QStringLiteral("D:\\广播站\\notice.wav"), d + QStringLiteral("/广播站/Notice.WAV"), true},
        {QStringLiteral("D:\\广播\\铃声"), bells + QStringLiteral("/铃声"), true},
        {QStringLiteral("D:\\广播\\铃声\\下课铃.mp3"), bells + QStringLiteral("/铃声/下课铃.mp3"),
         false},
        {QStringLiteral("D:\\广播\\旧铃声\\下课铃.mp3"),
         bells + QStringLiteral("/旧铃声/下课铃.mp3"), false},
        {QStringLiteral("F:\\音乐\\a.mp3"), QStringLiteral("F:/音乐/a.mp3"), false},
        {QStringLiteral("\\\\server\\share\\a.mp3"), QStringLiteral("//server/share/a.mp3"), false},
        {d + QStringLiteral("/广播站/notice.WAV"), d + QStringLiteral("/广播站/Notice.WAV"), true},
    };
    for (const auto& c : cases) {
        bool found = !c.found;
        EXPECT_EQ(mapper.map(c.windows, found), c.here) << c.windows.toStdString();
        EXPECT_EQ(found, c.found) << c.windows.toStdString();
    }
    PathMapping m;
    for (const char* bad : {"D:", "=/srv", "D:=", "\\=/srv"}) {
        EXPECT_FALSE(parsePathMapping(QString::fromUtf8(bad), m)) << bad;
    }
}

TEST(WindowsImport, ASourceThatFailsItsChecksGivesItsMessageAndNothingElse) {
    TempFolder root;
    const WindowsSchool school = makeWindowsSchool(root.path());
    const QString damaged = root.file(QStringLiteral("damaged"));
    QDir().mkpath(damaged);
    QByteArray programmes = readBytes(school.windowsFolder + QStringLiteral("/定时播设置t"));
    programmes[200] = static_cast<char>(programmes[200] ^ 1);
    writeBytes(damaged + QStringLiteral("/定时播设置t"), programmes);
    const QString fifo = root.file(QStringLiteral("fifo"));
    QDir().mkpath(fifo);
    ASSERT_TRUE(makeFifo(fifo + QStringLiteral("/节假日和调休t")));
    const QString empty = root.file(QStringLiteral("empty"));
    QDir().mkpath(empty);
    std::vector<ArchiveFile> files = {
        {kHolidayFileName, QByteArray("short")},
        {kProgrammeFileName, readBytes(school.windowsFolder + QStringLiteral("/定时播设置t"))}};
    QByteArray zipped;
    ASSERT_TRUE(zipFiles(files, zipped));
    writeBytes(root.file(QStringLiteral("bad.zip")), zipped);
    writeBytes(root.file(QStringLiteral("notes.txt")), "not an archive");

    const struct {
        QString source;
        QString message;
    } cases[] = {
        {damaged, QStringLiteral("读文件失败：\n%1/定时播设置t\n\n文件内容有错误").arg(damaged)},
        {fifo, QStringLiteral("读文件失败：\n%1/节假日和调休t\n\n文件内容有错误").arg(fifo)},
        {root.file(QStringLiteral("bad.zip")),
         QStringLiteral("读文件失败：\n%1/节假日和调休t\n\n文件内容有错误")
             .arg(root.file(QStringLiteral("bad.zip")))},
        {root.file(QStringLiteral("notes.txt")),
         QStringLiteral("读文件失败：\n%1\n\n文件内容有错误")
             .arg(root.file(QStringLiteral("notes.txt")))},
        {empty, QStringLiteral("导入失败：\n%1\n\n这里没有 Windows 版的数据文件 "
                               "(定时播设置t、立即播设置t、节假日和调休t、系统设置t)")
                    .arg(empty)},
    };
    for (const auto& c : cases) {
        WindowsImport import;
        QString message;
        EXPECT_FALSE(readWindowsImport(c.source, {}, import, message));
        EXPECT_EQ(message, c.message);
        EXPECT_TRUE(import.tables.isEmpty());
    }
    // The copy a reader keeps of a damaged file stays out of the source.
    EXPECT_EQ(QDir(damaged).entryList(QDir::Files), QStringList{QStringLiteral("定时播设置t")});
    WindowsImport import;
    QString message;
    EXPECT_FALSE(readWindowsImport(root.file(QStringLiteral("nowhere")), {}, import, message));
    EXPECT_TRUE(
        message.startsWith(QStringLiteral("读文件失败：\n") + root.file(QStringLiteral("nowhere"))))
        << message.toStdString();
}

TEST(WindowsImport, ReplacingKeepsABackupOfEveryTableAndWritesOnlyWhatCame) {
    TempFolder data;
    DataTables current;
    current.programmes.append(makeProgramme(QStringLiteral("旧铃"), {{8, 0, 0}}));
    current.calendar.holidays.push_back(
        makeHoliday(QStringLiteral("元旦"), {2026, 1, 1, 0, 2026, 1, 1, 24}));
    current.settings.duckPercent = 70;
    QString message;
    ASSERT_TRUE(saveHolidayCalendar(data.path(), current.calendar, false, message));
    const QByteArray holidaysBefore = readBytes(data.file(kHolidayFileName));
    ImportedTables imported;
    imported.programmes.emplace();
    imported.programmes->append(makeProgramme(QStringLiteral("新铃"), {{8, 5, 0}}));
    imported.settings = firstRunSettings();
    const LocalDateTime now = makeDateTime(2026, 8, 31, 7, 5, 9);

    QString backup;
    ASSERT_TRUE(replaceDataTables(data.path(), current, imported, now, backup, message))
        << message.toStdString();
    EXPECT_EQ(backup, data.file(QStringLiteral("导入前备份-20260831-070509.zip")));
    ProgrammeTable programmes;
    SystemSettings settings = firstRunSettings();
    ASSERT_TRUE(loadProgrammes(data.path(), programmes, message));
    ASSERT_TRUE(loadSystemSettings(data.path(), settings, message));
    EXPECT_EQ(programmeName(programmes.at(0)), QStringLiteral("新铃"));
    EXPECT_EQ(settings.duckPercent, 60);
    EXPECT_EQ(readBytes(data.file(kHolidayFileName)), holidaysBefore);
    EXPECT_FALSE(QFileInfo::exists(data.file(kImmediateFileName)));

    // The backup button restores the timetable from it; the playlist and the settings are
    // in it beside.
    Timetable restored;
    ASSERT_TRUE(readTimetableBackup(backup, restored, message)) << message.toStdString();
    EXPECT_EQ(programmeName(restored.programmes.at(0)), QStringLiteral("旧铃"));
    EXPECT_EQ(holidayName(restored.calendar.holidays.at(0)), QStringLiteral("元旦"));
    std::vector<ArchiveFile> others;
    ASSERT_TRUE(unzipFiles(readBytes(backup), {kImmediateFileName, kSettingsFileName}, 1024 * 1024,
                           others));
    ASSERT_EQ(others.size(), 2u);
    TempFolder unpacked;
    for (const ArchiveFile& file : others) {
        writeBytes(unpacked.file(file.name), file.content);
    }
    SystemSettings before = firstRunSettings();
    ASSERT_TRUE(loadSystemSettings(unpacked.path(), before, message));
    EXPECT_EQ(before.duckPercent, 70);

    // A second import in the same second never overwrites the first backup.
    QString second;
    ASSERT_TRUE(replaceDataTables(data.path(), current, imported, now, second, message));
    EXPECT_EQ(second, data.file(QStringLiteral("导入前备份-20260831-070509-2.zip")));
}
