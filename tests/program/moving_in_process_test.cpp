#include <gtest/gtest.h>
#include <QDir>
#include <QRegularExpression>

#include "core/timed/timetable_backup.h"
#include "helpers/program_runner.h"
#include "helpers/programme_builders.h"
#include "helpers/windows_school.h"

namespace {

const QString kProgram = QStringLiteral(KB_PROGRAM_PATH);
const QStringList kDataFiles = {kProgrammeFileName, kImmediateFileName, kHolidayFileName,
                                kSettingsFileName};

// The program with its data folder in `roaming`.
ToolResult runWith(const QString& roaming, const QStringList& arguments) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_DATA_HOME"), roaming);
    return runTool(kProgram, arguments, env);
}

QString dataFolderOf(const QString& roaming) {
    return roaming + QStringLiteral("/KelvoraBroadcasting9");
}

// Every file of the folder with its bytes.
QMap<QString, QByteArray> contentOf(const QString& folder) {
    QMap<QString, QByteArray> files;
    for (const QString& name : QDir(folder).entryList(QDir::Files)) {
        files.insert(name, readBytes(folder + u'/' + name));
    }
    return files;
}

}  // namespace

TEST(MovingInProcess, AWindowsDataFolderPlaysAsTheSameTimetableMadeHere) {
    TempFolder root;
    const WindowsSchool school = makeWindowsSchool(root.path());
    const QString roaming = root.file(QStringLiteral("roaming"));
    ProgrammeTable before;
    before.append(makeProgramme(QStringLiteral("旧的上课铃"), {{7, 55, 0}}));
    QString message;
    ASSERT_TRUE(saveProgrammes(dataFolderOf(roaming), before, true, message));

    const ToolResult run = runWith(
        roaming, {QStringLiteral("--import-windows"), school.windowsFolder, QStringLiteral("--map"),
                  school.mappings()[0], QStringLiteral("--map"), school.mappings()[1]});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.out,
              QStringLiteral("未找到: E:\\MUSIC\\Missing.mp3\n"
                             "未找到: C:\\Users\\老师\\国歌.mp3\n"
                             "未找到: E:\\Music\\Songs\\Gone.mp3\n"
                             "导入完成: 节目 5 个, 节假日 1 个, 调休 1 个, 立即播曲目 3 首; 路径 8 "
                             "个, 找到 5 个, 未找到 3 个\n"));

    // The same timetable made here, and the week of both: a holiday, an adjusted Saturday.
    const QString nativeRoaming = root.file(QStringLiteral("native"));
    const QString native = dataFolderOf(nativeRoaming);
    ASSERT_TRUE(saveProgrammes(native, school.native.programmes, true, message) &&
                saveImmediateSettings(native, school.native.immediate, message) &&
                saveHolidayCalendar(native, school.native.calendar, true, message) &&
                saveSystemSettings(native, school.native.settings, message));
    for (const QString& name : kDataFiles) {
        EXPECT_EQ(readBytes(dataFolderOf(roaming) + u'/' + name), readBytes(native + u'/' + name))
            << name.toStdString();
    }
    const QStringList week = {QStringLiteral("--preview"), QStringLiteral("2026-04-27"),
                              QStringLiteral("14")};
    const ToolResult imported = runWith(roaming, week);
    const ToolResult made = runWith(nativeRoaming, week);
    EXPECT_EQ(imported.exitCode, 0);
    EXPECT_TRUE(imported.out.contains(QStringLiteral("2026-05-09 08:00:00\t08:00:00\t上课铃\n")))
        << imported.out.toStdString();
    EXPECT_FALSE(imported.out.contains(QStringLiteral("2026-05-04")));
    EXPECT_EQ(imported.out, made.out);

    // The timetable from before is in the backup beside them.
    const QStringList backups =
        QDir(dataFolderOf(roaming)).entryList({QStringLiteral("导入前备份-*.zip")}, QDir::Files);
    ASSERT_EQ(backups.size(), 1);
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^导入前备份-\\d{8}-\\d{6}\\.zip$"))
                    .match(backups[0])
                    .hasMatch())
        << backups[0].toStdString();
    Timetable kept;
    ASSERT_TRUE(readTimetableBackup(dataFolderOf(roaming) + u'/' + backups[0], kept, message));
    EXPECT_EQ(programmeName(kept.programmes.at(0)), QStringLiteral("旧的上课铃"));
}

TEST(MovingInProcess, ADamagedWindowsFileChangesNothing) {
    TempFolder root;
    const WindowsSchool school = makeWindowsSchool(root.path());
    const QString holidays = school.windowsFolder + QStringLiteral("/节假日和调休t");
    QByteArray bytes = readBytes(holidays);
    bytes.chop(1);
    writeBytes(holidays, bytes);
    const QString roaming = root.file(QStringLiteral("roaming"));
    ProgrammeTable table;
    table.append(makeProgramme(QStringLiteral("上课铃"), {{8, 0, 0}}));
    QString message;
    ASSERT_TRUE(saveProgrammes(dataFolderOf(roaming), table, true, message));
    const QMap<QString, QByteArray> before = contentOf(dataFolderOf(roaming));

    const ToolResult run =
        runWith(roaming, {QStringLiteral("--import-windows"), school.windowsFolder,
                          QStringLiteral("--map"), school.mappings()[0]});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.out.isEmpty()) << run.out.toStdString();
    EXPECT_EQ(run.err, QStringLiteral("读文件失败：\n%1\n\n文件内容有错误\n").arg(holidays));
    EXPECT_EQ(contentOf(dataFolderOf(roaming)), before);
}

TEST(MovingInProcess, ACalendarFileAddsItsHolidaysOnceAndThePreviewKeepsThem) {
    TempFolder root;
    const QString roaming = root.file(QStringLiteral("roaming"));
    ProgrammeTable table;
    Programme bell = makeProgramme(QStringLiteral("上课铃"), {{8, 0, 0}});
    bell.weekdays[5] = bell.weekdays[6] = 0;
    table.append(bell);
    QString message;
    ASSERT_TRUE(saveProgrammes(dataFolderOf(roaming), table, true, message));
    // All-day holidays and worked days, one with a folded line, and an event with times.
    const QString ics = root.file(QStringLiteral("2025.ics"));
    writeBytes(ics,
               "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//kb test//CN\r\n"
               "BEGIN:VEVENT\r\nUID:1\r\nDTSTART;VALUE=DATE:20250501\r\n"
               "DTEND;VALUE=DATE:20250506\r\nSUMMARY:劳动节假期\r\nEND:VEVENT\r\n"
               "BEGIN:VEVENT\r\nUID:2\r\nDTSTART;VALUE=DATE:20250427\r\n"
               "SUMMARY:上班(补劳\r\n 动节假期)\r\nEND:VEVENT\r\n"
               "BEGIN:VEVENT\r\nUID:3\r\nDTSTART;VALUE=DATE:20250128\r\n"
               "DTEND;VALUE=DATE:20250205\r\nSUMMARY:春节\r\nEND:VEVENT\r\n"
               "BEGIN:VEVENT\r\nUID:4\r\nDTSTART;VALUE=DATE:20250126\r\n"
               "SUMMARY:上班\r\nEND:VEVENT\r\n"
               "BEGIN:VEVENT\r\nUID:5\r\nDTSTART;VALUE=DATE:20250208\r\n"
               "SUMMARY:补班\r\nEND:VEVENT\r\n"
               "BEGIN:VEVENT\r\nUID:6\r\nDTSTART:20250915T083000\r\nDTEND:20250915T111500\r\n"
               "SUMMARY:运动会\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n");

    const QStringList command = {QStringLiteral("--import-holidays"), ics};
    const ToolResult first = runWith(roaming, command);
    ASSERT_EQ(first.exitCode, 0) << first.err.toStdString();
    EXPECT_EQ(first.out, QStringLiteral("导入完成: 节假日 3 个 (跳过 0 个), 调休 3 个 (跳过 0 个)\n"
                                        "调休 2025-01-26 (周7) 按 2025-02-03 (周1)\n"
                                        "调休 2025-02-08 (周6) 按 2025-02-04 (周2)\n"
                                        "调休 2025-04-27 (周7) 按 2025-05-05 (周1)\n"));
    const QMap<QString, QByteArray> imported = contentOf(dataFolderOf(roaming));
    const ToolResult again = runWith(roaming, command);
    EXPECT_EQ(again.exitCode, 0);
    EXPECT_EQ(again.out,
              QStringLiteral("导入完成: 节假日 0 个 (跳过 3 个), 调休 0 个 (跳过 3 个)\n"));
    EXPECT_EQ(contentOf(dataFolderOf(roaming)), imported);

    // Sunday 04-27 plays as Monday 05-05; 05-01 to 05-05 are silent.
    const ToolResult preview = runWith(
        roaming, {QStringLiteral("--preview"), QStringLiteral("2025-04-26"), QStringLiteral("11")});
    EXPECT_EQ(preview.out, QStringLiteral("2025-04-27 08:00:00\t08:00:00\t上课铃\n"
                                          "2025-04-28 08:00:00\t08:00:00\t上课铃\n"
                                          "2025-04-29 08:00:00\t08:00:00\t上课铃\n"
                                          "2025-04-30 08:00:00\t08:00:00\t上课铃\n"
                                          "2025-05-06 08:00:00\t08:00:00\t上课铃\n"));

    writeBytes(ics, "no calendar");
    const ToolResult refused = runWith(roaming, command);
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_EQ(refused.err,
              QStringLiteral("读文件失败：\n%1\n\n不是日历文件 (iCalendar)\n").arg(ics));
    EXPECT_EQ(contentOf(dataFolderOf(roaming)), imported);
}
