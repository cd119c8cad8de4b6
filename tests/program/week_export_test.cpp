#include <gtest/gtest.h>
#include <QFileInfo>
#include <QRegularExpression>

#include "core/holidays/holiday_file.h"
#include "core/support/date_text.h"
#include "core/timed/programme_file.h"
#include "core/timed/week_plan.h"
#include "helpers/program_runner.h"
#include "helpers/random_timetable.h"

namespace {

// The program's environment without any display: the export must not need one.
QProcessEnvironment withoutDisplay(const ProgramRunner& runner) {
    QProcessEnvironment env = runner.environment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        env.remove(QString::fromLatin1(name));
    }
    return env;
}

// "周三 08:00:00 name" for each line "2024-05-15 08:00:10<TAB>08:00:00<TAB>name".
QStringList previewedStarts(const QString& out) {
    QStringList starts;
    for (const QString& line : out.split(u'\n', Qt::SkipEmptyParts)) {
        const QStringList fields = line.split(u'\t');
        const LocalDateTime date = makeDateTime(
            fields[0].left(4).toInt(), fields[0].mid(5, 2).toInt(), fields[0].mid(8, 2).toInt());
        starts.append(weekdayText(date) + u' ' + fields[1] + u' ' + fields[2]);
    }
    starts.sort();
    return starts;
}

}  // namespace

TEST(WeekExport, ThePdfListsEveryStartThePreviewListsWithItsFontsEmbedded) {
    ProgramRunner runner;
    const LocalDateTime monday = makeDateTime(2024, 5, 13);
    const RandomTimetable timetable = randomTimetable(20240513, monday, 24, 6);
    QString message;
    ASSERT_TRUE(saveProgrammes(runner.dataFolder(), timetable.table, false, message));
    ASSERT_TRUE(saveHolidayCalendar(runner.dataFolder(), timetable.calendar, false, message));
    const QProcessEnvironment env = withoutDisplay(runner);

    const ToolResult preview = runTool(
        QStringLiteral(KB_PROGRAM_PATH),
        {QStringLiteral("--preview"), QStringLiteral("2024-05-13"), QStringLiteral("7")}, env);
    ASSERT_EQ(preview.exitCode, 0) << preview.err.toStdString();
    const QStringList expected = previewedStarts(preview.out);
    ASSERT_GT(expected.size(), 100);

    // Any day of the week names the week.
    const QString pdf = runner.roamingFolder() + QStringLiteral("/一周.pdf");
    const ToolResult exported =
        runTool(QStringLiteral(KB_PROGRAM_PATH),
                {QStringLiteral("--export-week"), QStringLiteral("2024-05-16"), pdf}, env);
    ASSERT_EQ(exported.exitCode, 0) << exported.err.toStdString();

    // The chart is page 1; the list of every start follows.
    const ToolResult text =
        runTool(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), QStringLiteral("-f"),
                                              QStringLiteral("2"), pdf, QStringLiteral("-")});
    ASSERT_EQ(text.exitCode, 0) << text.err.toStdString();
    static const QRegularExpression entry(
        QStringLiteral("(周[一二三四五六日])\\s+(\\d\\d:\\d\\d:\\d\\d)\\s+(\\S+)"));
    QStringList listed;
    for (auto it = entry.globalMatch(text.out); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        listed.append(m.captured(1) + u' ' + m.captured(2) + u' ' + m.captured(3));
    }
    listed.sort();
    EXPECT_EQ(listed, expected);
    EXPECT_TRUE(text.out.contains(timetable.holidayName));
    EXPECT_TRUE(text.out.contains(QStringLiteral("调休：按 2024-05-13 周一 的节目单")));
    const ToolResult chart =
        runTool(QStringLiteral("pdftotext"),
                {QStringLiteral("-l"), QStringLiteral("1"), pdf, QStringLiteral("-")});
    EXPECT_TRUE(chart.out.contains(timetable.holidayName)) << chart.out.toStdString();
    EXPECT_TRUE(chart.out.contains(QStringLiteral("按 周一")));

    const ToolResult fonts = runTool(QStringLiteral("pdffonts"), {pdf});
    ASSERT_EQ(fonts.exitCode, 0);
    const QStringList rows = fonts.out.split(u'\n', Qt::SkipEmptyParts).mid(2);
    ASSERT_FALSE(rows.isEmpty()) << fonts.out.toStdString();
    for (const QString& row : rows) {
        // name, type, encoding, then "emb sub uni" as yes or no.
        EXPECT_TRUE(
            row.contains(QRegularExpression(QStringLiteral("\\s+yes\\s+(yes|no)\\s+yes\\s"))))
            << row.toStdString();
    }
}

TEST(WeekExport, AFileThatCannotBeWrittenIsSaidAndNothingIsLeft) {
    ProgramRunner runner;
    const QProcessEnvironment env = withoutDisplay(runner);
    const QString unwritable = runner.roamingFolder() + QStringLiteral("/no/such/folder/w.pdf");
    const ToolResult run =
        runTool(QStringLiteral(KB_PROGRAM_PATH),
                {QStringLiteral("--export-week"), QStringLiteral("2024-05-13"), unwritable}, env);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains(QStringLiteral("导出 PDF 失败：\n") + unwritable))
        << run.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(unwritable));
}
