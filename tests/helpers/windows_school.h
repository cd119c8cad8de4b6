#pragma once

#include <gtest/gtest.h>
#include <QDir>
#include <QFileInfo>
#include <QStringList>

#include "core/holidays/holiday_file.h"
#include "core/immediate/immediate_file.h"
#include "core/moving/data_tables.h"
#include "core/settings/settings_file.h"
#include "core/timed/programme_file.h"
#include "helpers/holiday_builders.h"
#include "helpers/temp_folder.h"

// A school's data as the Windows program keeps it (its paths under D:\广播 and E:\, in upper
// and lower case), the music on this PC in the folders those now stand for, and the same
// timetable made here with the paths of this PC.
struct WindowsSchool {
    QString windowsFolder;  // the four data files of the Windows program
    QString bells;          // what D:\广播 is now
    QString drive;          // what E: is now
    DataTables native;
    QStringList missing;  // the Windows paths not on the disk, in the order met
    QStringList mappings() const {
        return {QStringLiteral("D:\\广播=") + bells, QStringLiteral("E:=") + drive};
    }
};

namespace windows_school {

inline Programme programme(const QString& name, ClockTime start) {
    Programme p = newProgramme();
    setProgrammeName(p, name);
    p.startTimes[0] = start;
    p.weekdays[5] = 0;
    p.weekdays[6] = 0;
    return p;
}

inline void touch(const QString& path) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    writeBytes(path, "music");
}

}  // namespace windows_school

// Writes everything below `root`.
inline WindowsSchool makeWindowsSchool(const QString& root) {
    using windows_school::programme;
    WindowsSchool s;
    s.windowsFolder = root + QStringLiteral("/windows/KelvoraBroadcasting9");
    s.bells = root + QStringLiteral("/srv/广播");
    s.drive = root + QStringLiteral("/media/e");
    // On the disk the names are spelt as a copy from Windows may leave them.
    windows_school::touch(s.bells + QStringLiteral("/铃声/上课铃.mp3"));
    windows_school::touch(s.bells + QStringLiteral("/早操音乐/第一套.mp3"));
    windows_school::touch(s.drive + QStringLiteral("/music/eyeexercise.wav"));
    windows_school::touch(s.drive + QStringLiteral("/music/songs/song1.mp3"));

    // Windows path, the path here, the programme.
    struct Row {
        QString windows;
        QString here;
        Programme p;
    };
    std::vector<Row> rows = {
        {QStringLiteral("D:\\广播\\铃声\\上课铃.MP3"), s.bells + QStringLiteral("/铃声/上课铃.mp3"),
         programme(QStringLiteral("上课铃"), {8, 0, 0})},
        {QStringLiteral("d:\\广播\\早操音乐"), s.bells + QStringLiteral("/早操音乐"),
         programme(QStringLiteral("早操"), {9, 30, 0})},
        {QStringLiteral("E:\\Music\\EyeExercise.WAV"),
         s.drive + QStringLiteral("/music/eyeexercise.wav"),
         programme(QStringLiteral("眼保健操"), {10, 30, 0})},
        {QStringLiteral("E:\\MUSIC\\Missing.mp3"), s.drive + QStringLiteral("/music/Missing.mp3"),
         programme(QStringLiteral("放学"), {16, 30, 0})},
        {QStringLiteral("C:\\Users\\老师\\国歌.mp3"), QStringLiteral("C:/Users/老师/国歌.mp3"),
         programme(QStringLiteral("升旗"), {7, 50, 0})},
    };
    rows[0].p.startCount = 2;
    rows[0].p.startTimes[1] = ClockTime{8, 45, 0};
    rows[1].p.singleFile = 0;
    rows[1].p.sequential = 1;
    rows[1].p.trackCount = 3;
    rows[2].p.countByTracks = 0;
    rows[2].p.secondsCount = 300;
    rows[2].p.byWeekday = 0;
    for (int day = 0; day < 28; ++day) {
        rows[2].p.monthDays[day] = 1;
    }
    rows[4].p.weekdays[1] = rows[4].p.weekdays[2] = rows[4].p.weekdays[3] = 0;
    rows[4].p.weekdays[4] = 0;
    rows[4].p.dateRange = DateHourRange{2026, 3, 1, 0, 2026, 7, 15, 24};

    ProgrammeTable windows;
    for (Row& row : rows) {
        setProgrammePath(row.p, row.windows);
        windows.append(row.p);
        setProgrammePath(row.p, row.here);
        s.native.programmes.append(row.p);
    }
    s.missing = {rows[3].windows, rows[4].windows};

    ImmediateSettings playlist;
    playlist.volume = 65;
    playlist.playMode = kRandom;
    const QList<QPair<QString, QString>> tracks = {
        {QStringLiteral("D:\\广播\\铃声\\上课铃.mp3"),
         s.bells + QStringLiteral("/铃声/上课铃.mp3")},
        {QStringLiteral("E:\\Music\\Songs\\Song1.MP3"),
         s.drive + QStringLiteral("/music/songs/song1.mp3")},
        {QStringLiteral("E:\\Music\\Songs\\Gone.mp3"),
         s.drive + QStringLiteral("/music/songs/Gone.mp3")}};
    s.native.immediate = playlist;
    for (const auto& [windowsPath, here] : tracks) {
        playlist.playlist.push_back(makePlaylistEntry(windowsPath, 180000));
        s.native.immediate.playlist.push_back(makePlaylistEntry(here, 180000));
    }
    playlist.playlist[1].isCurrent = s.native.immediate.playlist[1].isCurrent = 1;
    s.missing.append(tracks[2].first);

    HolidayCalendar& calendar = s.native.calendar;
    calendar.holidays.push_back(
        makeHoliday(QStringLiteral("劳动节"), {2026, 5, 1, 0, 2026, 5, 5, 24}));
    calendar.adjustedDays.push_back(makeAdjustedDay({2026, 5, 9}, {2026, 5, 6}));

    SystemSettings& settings = s.native.settings;
    settings.duckPercent = 40;
    settings.dailyShutdownEnabled = 1;
    settings.dailyShutdownTime = ClockTime{17, 30, 0};

    QString message;
    const bool written = saveProgrammes(s.windowsFolder, windows, false, message) &&
                         saveImmediateSettings(s.windowsFolder, playlist, message) &&
                         saveHolidayCalendar(s.windowsFolder, calendar, false, message) &&
                         saveSystemSettings(s.windowsFolder, settings, message);
    EXPECT_TRUE(written) << message.toStdString();
    return s;
}
