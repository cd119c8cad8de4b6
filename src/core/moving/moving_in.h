#pragma once

#include <QList>
#include <QObject>

#include "core/holidays/holiday_calendar.h"
#include "core/immediate/immediate_player.h"
#include "core/immediate/immediate_store.h"
#include "core/moving/data_tables.h"
#include "core/moving/path_mapping.h"
#include "core/settings/system_settings.h"
#include "core/support/clock.h"
#include "core/timed/programme_table.h"
#include "core/timed/run_engine.h"

// What an import of the Windows program's data read: the tables and how their paths fared.
struct WindowsImport {
    ImportedTables tables;
    PathReport paths;
};

// Reads the source (a data folder or a ZIP of one) and maps its paths. False with the
// message of the file that failed its checks.
bool readWindowsImport(const QString& source, const QList<PathMapping>& mappings,
                       WindowsImport& import, QString& message);
// "节目 N 个, 节假日 H 个, 调休 A 个, 立即播曲目 P 首; 路径 M 个, 找到 K 个, 未找到 U 个".
QString windowsImportCounts(const WindowsImport& import);
// "导入完成: " and the counts.
QString windowsImportSummary(const WindowsImport& import);

// Moving in while the program runs: the imported tables replace the ones in memory and in
// the data folder at once, after a backup of the current ones.
class MovingIn : public QObject {
    Q_OBJECT
  public:
    struct Tables {
        QString dataFolder;
        ProgrammeTable& programmes;
        HolidayCalendar& calendar;
        ImmediateStore& immediate;
        SystemSettings& settings;
        RunEngine& runs;
        ImmediatePlayer& player;
        Clock& clock;
    };
    explicit MovingIn(const Tables& tables, QObject* parent = nullptr);

    // Backs up the current tables, writes the imported ones and puts them in place; what
    // plays of a replaced table stops first. False with the message, nothing changed.
    bool apply(const ImportedTables& imported, QString& backupPath, QString& message);

    // The play-log reason of the runs an import stops.
    static QString stopReason();

  signals:
    // The programmes or the holiday calendar were replaced: their lists are filled again.
    void timetableReplaced();
    void playlistReplaced();
    void settingsReplaced();

  private:
    Tables t_;
};
