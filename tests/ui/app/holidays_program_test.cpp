// The holidays tab in the running program: loaded at start-up, and obeyed by timed play from
// the next tick, on the real clock.
#include <gtest/gtest.h>
#include <QAction>
#include <QDateEdit>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTime>
#include <QTreeView>

#include "core/holidays/holiday_file.h"
#include "core/settings/settings_file.h"
#include "core/timed/play_log.h"
#include "core/timed/programme_file.h"
#include "helpers/holiday_builders.h"
#include "helpers/program_runner.h"
#include "helpers/temp_folder.h"
#include "helpers/test_environment.h"
#include "helpers/ui_helpers.h"
#include "ui/app/main_window.h"
#include "ui/app/program.h"
#include "ui/holidays/adjusted_day_dialog.h"
#include "ui/holidays/holiday_dialog.h"
#include "ui/holidays/holidays_page.h"

namespace {

struct RunningProgram {
    RunningProgram() : paths(AppPaths::forFolders(folder.path(), folder.path())) {
        writeSilentWav(folder.file(QStringLiteral("quiet.wav")), 1000);
    }
    ~RunningProgram() {
        if (program) {
            program->shutdown(false);
        }
    }
    // A programme of one pass of a silent file at `start`, on the weekdays given (Monday 1).
    void addProgramme(const QString& name, const QTime& start, QList<int> weekdays = {}) {
        Programme p = newProgramme();
        setProgrammeName(p, name);
        setProgrammePath(p, folder.file(QStringLiteral("quiet.wav")));
        p.startTimes[0] = ClockTime{start.hour(), start.minute(), start.second()};
        if (!weekdays.isEmpty()) {
            std::fill(std::begin(p.weekdays), std::end(p.weekdays), 0);
            for (int day : weekdays) {
                p.weekdays[day - 1] = 1;
            }
        }
        table.append(p);
    }
    bool start() {
        SystemSettings settings = firstRunSettings();
        setOutputDeviceName(settings, QStringLiteral("NullRenderer"));
        QString message;
        if (!saveProgrammes(paths.dataFolder, table, true, message) ||
            !saveSystemSettings(paths.dataFolder, settings, message)) {
            return false;
        }
        program = std::make_unique<Program>(paths, false);
        if (!program->initialise({})) {
            return false;
        }
        program->window()->selectTab(MainWindow::kHolidaysTab);
        return true;
    }
    HolidaysPage* page() const {
        return static_cast<HolidaysPage*>(program->window()->page(MainWindow::kHolidaysTab));
    }
    void click(const QString& button) const { page()->findChild<QPushButton*>(button)->click(); }
    QStringList starts() const {
        QStringList names;
        for (const QString& line : readPlayLogLines(paths.dataFile(kPlayLogFileName))) {
            if (line.contains(QStringLiteral(" ◆ 开始播放"))) {
                names.append(line.mid(22).section(QStringLiteral(" ◆ "), 0, 0));
            }
        }
        return names;
    }

    RecordedMessages messages;
    TempFolder folder;
    AppPaths paths;
    ProgrammeTable table;
    std::unique_ptr<Program> program;
};

// Lets the event loop run until a moment past `time` today.
void runUntil(const QTime& time, int afterMs) {
    pumpEvents(qMax(0, QTime::currentTime().msecsTo(time) + afterMs));
}

}  // namespace

TEST(HolidaysInTheProgram, TheTabShowsTheFileLoadedAtStartUp) {
    RunningProgram r;
    HolidayCalendar calendar;
    calendar.holidays = {makeHoliday(QStringLiteral("寒假"), {2025, 1, 18, 0, 2025, 2, 16, 24}),
                         makeHoliday(QStringLiteral("清明"), {2025, 4, 4, 0, 2025, 4, 6, 24})};
    calendar.adjustedDays = {makeAdjustedDay({2025, 1, 26}, {2025, 1, 27})};
    QString message;
    ASSERT_TRUE(saveHolidayCalendar(r.paths.dataFolder, calendar, true, message));
    ASSERT_TRUE(r.start());
    EXPECT_EQ(r.page()->holidayList()->model()->rowCount(), 2);
    EXPECT_EQ(r.page()->adjustedDayList()->model()->rowCount(), 1);
    EXPECT_EQ(r.page()->holidayList()->model()->index(1, 0).data().toString(),
              QStringLiteral("清明"));
    EXPECT_TRUE(r.messages.shown.isEmpty()) << r.messages.last().toStdString();
}

TEST(HolidaysInTheProgram, ADamagedFileIsReportedAndTheTabIsEmpty) {
    RunningProgram r;
    HolidayCalendar calendar;
    calendar.holidays = {makeHoliday(QStringLiteral("寒假"), {2025, 1, 18, 0, 2025, 2, 16, 24})};
    QString message;
    ASSERT_TRUE(saveHolidayCalendar(r.paths.dataFolder, calendar, true, message));
    const QString file = r.paths.dataFile(kHolidayFileName);
    QByteArray bytes = readBytes(file);
    bytes[6] = static_cast<char>(bytes[6] ^ 1);
    writeBytes(file, bytes);
    ASSERT_TRUE(r.start());
    ASSERT_EQ(r.messages.shown.size(), 1);
    EXPECT_EQ(r.messages.last(), QStringLiteral("读文件失败：\n%1\n\n文件内容有错误").arg(file));
    EXPECT_EQ(r.messages.shown[0].icon, MessageIcon::Error);
    EXPECT_EQ(r.messages.shown[0].owner, r.page());
    EXPECT_EQ(r.page()->holidayList()->model()->rowCount(), 0);
    EXPECT_TRUE(r.program->calendar().holidays.empty());
}

TEST(HolidaysInTheProgram, AHolidayAddedOnTheTabSilencesTimedPlayUntilDisabled) {
    waitUntilTheDateHoldsFor(30);
    RunningProgram r;
    const QTime start = QTime::currentTime().addSecs(6);
    r.addProgramme(QStringLiteral("上课铃"), start);
    ASSERT_TRUE(r.start());
    // A holiday of the whole of today, as the dialog offers it.
    whenModal([](QWidget* modal) {
        auto* dialog = qobject_cast<HolidayDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        dialog->nameEdit()->setText(QStringLiteral("临时放假"));
        dialog->okButton()->click();
    });
    r.click(QStringLiteral("addHolidayButton"));
    ASSERT_EQ(r.program->calendar().holidays.size(), 1u);
    ASSERT_LT(QTime::currentTime(), start) << "the start came before the holiday";
    runUntil(start, 1500);
    EXPECT_TRUE(r.starts().isEmpty()) << r.starts().join(u',').toStdString();

    r.page()->holidayList()->selectAll();
    for (QAction* action : r.page()->holidayMenu()->actions()) {
        if (action->text() == QStringLiteral("停用")) {
            action->trigger();
        }
    }
    ASSERT_EQ(r.program->calendar().holidays[0].disabled, 1);
    // Still within the start's 15 seconds: it plays now.
    pumpEvents(1500);
    EXPECT_EQ(r.starts(), QStringList{QStringLiteral("上课铃")});
    EXPECT_TRUE(r.messages.shown.isEmpty()) << r.messages.last().toStdString();
}

TEST(HolidaysInTheProgram, AnAdjustedDayForTodayPlaysTheTimetableOfItsBDate) {
    waitUntilTheDateHoldsFor(30);
    RunningProgram r;
    const QDate today = QDate::currentDate();
    const QDate other = today.addDays(2);
    const QTime start = QTime::currentTime().addSecs(6);
    r.addProgramme(QStringLiteral("今天的课"), start, {today.dayOfWeek()});
    r.addProgramme(QStringLiteral("b日期的课"), start, {other.dayOfWeek()});
    ASSERT_TRUE(r.start());
    whenModal([&](QWidget* modal) {
        auto* dialog = qobject_cast<AdjustedDayDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        dialog->dateBEdit()->setDate(other);
        dialog->remarkEdit()->setText(QStringLiteral("调课"));
        dialog->okButton()->click();
    });
    r.click(QStringLiteral("addAdjustedDayButton"));
    ASSERT_EQ(r.program->calendar().adjustedDays.size(), 1u);
    ASSERT_LT(QTime::currentTime(), start) << "the start came before the adjusted day";
    runUntil(start, 1500);
    EXPECT_EQ(r.starts(), QStringList{QStringLiteral("b日期的课")});
    EXPECT_TRUE(r.messages.shown.isEmpty()) << r.messages.last().toStdString();
}
