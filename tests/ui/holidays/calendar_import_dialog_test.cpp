#include <gtest/gtest.h>
#include <QDateEdit>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTreeView>

#include "core/holidays/holiday_file.h"
#include "core/holidays/proposed_day_list_model.h"
#include "helpers/temp_folder.h"
#include "helpers/ui_helpers.h"
#include "ui/holidays/calendar_import_dialog.h"
#include "ui/holidays/holidays_page.h"

namespace {

// Opens the b date of the row in its editor, picks the date and presses Enter there (sent to
// the editor itself: the window need not have the keyboard focus on a busy machine).
void pickDateB(CalendarImportDialog* dialog, int row, const QDate& date) {
    QTreeView* list = dialog->adjustedDayList();
    const QModelIndex index =
        dialog->adjustedDayModel()->index(row, AdjustedDayListModel::DateBColumn);
    list->setCurrentIndex(index);
    list->edit(index);
    QDateEdit* editor = nullptr;
    for (QDateEdit* open : list->viewport()->findChildren<QDateEdit*>()) {
        if (open->isVisible()) {
            editor = open;  // an editor closed before waits for its deletion
        }
    }
    ASSERT_NE(editor, nullptr);
    editor->setDate(date);
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(editor, &enter);
    // The view takes the date from its editor in a posted call.
    const CalendarDate wanted{date.year(), date.month(), date.day()};
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return dialog->adjustedDayModel()->at(row).dateB == wanted; }));
}

}  // namespace

TEST(CalendarImportDialog, TheProposalsAreShownAndEachBDateCanBeChangedBeforeOk) {
    RecordedMessages messages;
    TempFolder folder;
    HolidayCalendar calendar;
    const AppPaths paths = AppPaths::forFolders(folder.path(), folder.path());
    HolidaysPage page(calendar, paths);
    page.resize(900, 700);
    page.show();
    const QString ics = folder.file(QStringLiteral("2025.ics"));
    writeBytes(ics,
               "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//kb test//CN\r\n"
               "BEGIN:VEVENT\r\nUID:1\r\nDTSTART;VALUE=DATE:20250501\r\n"
               "DTEND;VALUE=DATE:20250506\r\nSUMMARY:劳动节\r\nEND:VEVENT\r\n"
               "BEGIN:VEVENT\r\nUID:2\r\nDTSTART;VALUE=DATE:20250427\r\n"
               "SUMMARY:劳动节 上班\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n");

    QString counts;
    whenModal([&](QWidget* modal) {
        auto* dialog = qobject_cast<CalendarImportDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        counts = child<QLabel>(dialog, "counts")->text();
        EXPECT_EQ(dialog->holidayList()->model()->index(0, 0).data().toString(),
                  QStringLiteral("劳动节"));
        EXPECT_EQ(dialog->adjustedDayList()->model()->index(0, 1).data().toString(),
                  QStringLiteral("2025-05-05 (周1)"));
        // A b date that is the a date is refused; the dialog stays.
        pickDateB(dialog, 0, QDate(2025, 4, 27));
        QTest::mouseClick(dialog->okButton(), Qt::LeftButton);
        EXPECT_TRUE(dialog->isVisible());
        pickDateB(dialog, 0, QDate(2025, 5, 2));
        QTest::mouseClick(dialog->okButton(), Qt::LeftButton);
    });
    page.importCalendarFile(ics);

    EXPECT_EQ(counts, QStringLiteral(
                          "要添加: 节假日 1 个, 调休 1 个 (已有的跳过: 节假日 0 个, 调休 0 个)"));
    ASSERT_EQ(messages.texts(), QStringList{QStringLiteral("要求：\na日期  ≠  b日期")});
    EXPECT_EQ(page.adjustedDayList()->model()->index(0, 1).data().toString(),
              QStringLiteral("2025-05-02 (周5)"));
    HolidayCalendar saved;
    QString message;
    ASSERT_TRUE(loadHolidayCalendar(paths.dataFolder, saved, message));
    ASSERT_EQ(saved.holidays.size(), 1u);
    ASSERT_EQ(saved.adjustedDays.size(), 1u);
    EXPECT_EQ(saved.adjustedDays[0].dateB, (CalendarDate{2025, 5, 2}));

    // Again: nothing to add, and no dialog.
    page.importCalendarFile(ics);
    EXPECT_EQ(
        messages.last(),
        QStringLiteral("日历文件里的节假日和调休都已有了\n\n导入完成: 节假日 0 个 (跳过 1 个), "
                       "调休 0 个 (跳过 1 个)"));
    EXPECT_EQ(calendar.holidays.size(), 1u);
}
