#include <gtest/gtest.h>
#include <QAbstractItemModelTester>
#include <QAction>
#include <QDateEdit>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include "core/holidays/adjusted_day_list_model.h"
#include "core/holidays/holiday_file.h"
#include "core/holidays/holiday_list_model.h"
#include "core/storage/data_file.h"
#include "helpers/holiday_builders.h"
#include "helpers/temp_folder.h"
#include "helpers/ui_helpers.h"
#include "ui/holidays/adjusted_day_dialog.h"
#include "ui/holidays/holiday_dialog.h"
#include "ui/holidays/holidays_page.h"
#include "ui/widgets/drag_hint.h"

namespace {

struct PageFixture {
    explicit PageFixture(const QString& dataFolder = QString())
        : paths(AppPaths::forFolders(folder.path(),
                                     dataFolder.isEmpty() ? folder.path() : dataFolder)) {
        page = std::make_unique<HolidaysPage>(calendar, paths);
        QObject::connect(page.get(), &HolidaysPage::saved, [this] { ++saves; });
        page->resize(900, 700);
        page->show();
    }
    void addHolidays(std::initializer_list<Holiday> holidays) {
        for (const Holiday& h : holidays) {
            calendar.holidays.push_back(h);
        }
        page->refill();
    }
    void select(QTreeView* view, const QList<int>& rows) {
        view->clearSelection();
        for (int row : rows) {
            view->selectionModel()->select(view->model()->index(row, 0),
                                           QItemSelectionModel::Select | QItemSelectionModel::Rows);
        }
    }
    QString cell(QTreeView* view, int row, int column) const {
        return view->model()->index(row, column).data().toString();
    }
    QStringList names() const {
        QStringList result;
        for (const Holiday& h : calendar.holidays) {
            result.append(holidayName(h));
        }
        return result;
    }
    void trigger(QMenu* menu, const QString& text) {
        for (QAction* action : menu->actions()) {
            if (action->text() == text) {
                action->trigger();
                return;
            }
        }
        ADD_FAILURE() << "no menu entry " << text.toStdString();
    }
    QPushButton* button(const QString& name) const { return page->findChild<QPushButton*>(name); }
    HolidayCalendar stored() const {
        HolidayCalendar loaded;
        QString message;
        EXPECT_TRUE(loadHolidayCalendar(paths.dataFolder, loaded, message));
        return loaded;
    }
    QString file() const { return paths.dataFile(kHolidayFileName); }

    RecordedMessages messages;
    TempFolder folder;
    AppPaths paths;
    HolidayCalendar calendar;
    std::unique_ptr<HolidaysPage> page;
    int saves = 0;
};

const DateHourRange kMay{2024, 5, 1, 0, 2024, 5, 5, 24};

}  // namespace

TEST(HolidaysPage, ListsHaveTheirColumnsMenusAndExample) {
    PageFixture f;
    QTreeView* holidays = f.page->holidayList();
    QTreeView* adjusted = f.page->adjustedDayList();
    EXPECT_EQ(holidays->selectionMode(), QAbstractItemView::ExtendedSelection);
    EXPECT_FALSE(holidays->header()->sectionsClickable());
    const int width = holidays->viewport()->width();
    EXPECT_EQ(holidays->columnWidth(0), width * 25 / 100);
    EXPECT_EQ(holidays->columnWidth(1), width * 11 / 100);
    EXPECT_EQ(adjusted->columnWidth(3), adjusted->viewport()->width() * 27 / 100);
    QStringList entries;
    for (QAction* action : f.page->holidayMenu()->actions()) {
        entries.append(action->isSeparator() ? QStringLiteral("-") : action->text());
    }
    EXPECT_EQ(entries,
              (QStringList{QStringLiteral("启用"), QStringLiteral("停用"), QStringLiteral("-"),
                           QStringLiteral("按名称排序"), QStringLiteral("按日期排序")}));
    EXPECT_EQ(f.page->adjustedDayMenu()->actions().last()->text(), QStringLiteral("按a日期排序"));
    auto* example = f.page->findChild<QLabel*>(QStringLiteral("example"));
    ASSERT_NE(example, nullptr);
    EXPECT_TRUE(example->text().startsWith(QStringLiteral("举例： 2018年劳动节")));
    auto* more = f.page->findChild<QLabel*>(QStringLiteral("moreHolidayLink"));
    ASSERT_NE(more, nullptr);
    QTest::mouseClick(more, Qt::LeftButton);
    EXPECT_EQ(f.messages.texts(), QStringList{QStringLiteral("更多操作 - 列表框中点鼠标右键")});
}

TEST(HolidaysPage, AddModifyAndDeleteGoThroughTheDialogsAndSave) {
    PageFixture f;
    whenModal([](QWidget* modal) {
        auto* dialog = qobject_cast<HolidayDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        dialog->nameEdit()->setText(QStringLiteral("国庆节"));
        dialog->startDate()->setDate(QDate(2024, 10, 1));
        dialog->endDate()->setDate(QDate(2024, 10, 7));
        dialog->okButton()->click();
    });
    f.button(QStringLiteral("addHolidayButton"))->click();
    ASSERT_EQ(f.names(), QStringList{QStringLiteral("国庆节")});
    EXPECT_EQ(f.saves, 1);
    EXPECT_EQ(f.stored().holidays.size(), 1u);
    QTreeView* list = f.page->holidayList();
    EXPECT_EQ(list->selectionModel()->selectedRows().size(), 1) << "the new row is selected";
    EXPECT_EQ(f.cell(list, 0, 3), QStringLiteral("2024-10-07 24:00"));

    // A double click modifies the row; the row follows its holiday.
    whenModal([](QWidget* modal) {
        auto* dialog = qobject_cast<HolidayDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->okButton()->text(), QStringLiteral("修改"));
        dialog->endHour()->setText(QStringLiteral("12"));
        dialog->okButton()->click();
    });
    const QRect row = list->visualRect(list->model()->index(0, 0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row.center());
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, row.center());
    QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, row.center());
    EXPECT_EQ(f.cell(list, 0, 3), QStringLiteral("2024-10-07 12:00"));
    EXPECT_EQ(f.saves, 2);
    EXPECT_EQ(f.stored().holidays[0].range.endHour, 12);

    f.addHolidays({makeHoliday(QStringLiteral("元旦"), {2025, 1, 1, 0, 2025, 1, 1, 24})});
    f.select(list, {0, 1});
    f.messages.answers = {false};
    f.button(QStringLiteral("deleteHolidayButton"))->click();
    EXPECT_EQ(f.messages.last(), QStringLiteral("确定删除？"));
    EXPECT_EQ(f.messages.shown.last().icon, MessageIcon::Question);
    EXPECT_EQ(f.calendar.holidays.size(), 2u);
    f.messages.answers = {true};
    f.button(QStringLiteral("deleteHolidayButton"))->click();
    EXPECT_TRUE(f.calendar.holidays.empty());
    EXPECT_EQ(list->model()->rowCount(), 0);
    EXPECT_EQ(f.saves, 3) << "one save for the whole deletion";
    EXPECT_TRUE(f.stored().holidays.empty());
}

TEST(HolidaysPage, DisablingSavesOnceAndOnlyWhenARowChanged) {
    PageFixture f;
    f.addHolidays({makeHoliday(QStringLiteral("a"), kMay),
                   makeHoliday(QStringLiteral("b"), kMay, true),
                   makeHoliday(QStringLiteral("c"), kMay)});
    QSignalSpy changed(f.page->holidayModel(), &QAbstractItemModel::dataChanged);
    f.select(f.page->holidayList(), {0, 1, 2});
    f.trigger(f.page->holidayMenu(), QStringLiteral("停用"));
    EXPECT_EQ(changed.size(), 2);
    EXPECT_EQ(f.saves, 1);
    const HolidayCalendar stored = f.stored();
    ASSERT_EQ(stored.holidays.size(), 3u);
    for (const Holiday& h : stored.holidays) {
        EXPECT_EQ(h.disabled, 1);
    }
    for (int row = 0; row < 3; ++row) {
        EXPECT_EQ(f.cell(f.page->holidayList(), row, 1), QStringLiteral("停用"));
    }
    ASSERT_TRUE(QFile::remove(f.file()));
    f.trigger(f.page->holidayMenu(), QStringLiteral("停用"));
    EXPECT_EQ(f.saves, 1);
    EXPECT_FALSE(QFile::exists(f.file())) << "nothing changed, nothing written";
    EXPECT_EQ(changed.size(), 2);
    f.select(f.page->holidayList(), {1});
    f.trigger(f.page->holidayMenu(), QStringLiteral("启用"));
    EXPECT_EQ(f.saves, 2);
    EXPECT_EQ(f.stored().holidays[1].disabled, 0);
    EXPECT_TRUE(f.messages.shown.isEmpty());
}

TEST(HolidaysPage, SortsRefillTheListAndSave) {
    PageFixture f;
    QAbstractItemModelTester tester(f.page->holidayModel(),
                                    QAbstractItemModelTester::FailureReportingMode::Fatal);
    QSignalSpy reset(f.page->holidayModel(), &QAbstractItemModel::modelReset);
    f.addHolidays({makeHoliday(QStringLiteral("b"), {2024, 10, 1, 8, 2024, 10, 7, 24})});
    f.trigger(f.page->holidayMenu(), QStringLiteral("按日期排序"));
    EXPECT_EQ(f.saves, 0) << "a single holiday is not sorted";
    EXPECT_EQ(reset.size(), 1) << "only the refill";
    f.addHolidays({makeHoliday(QStringLiteral("C"), {2024, 5, 1, 0, 2024, 5, 5, 24}),
                   makeHoliday(QStringLiteral("a"), {2024, 10, 1, 7, 2024, 10, 1, 9})});
    f.select(f.page->holidayList(), {2});
    f.trigger(f.page->holidayMenu(), QStringLiteral("按日期排序"));
    EXPECT_EQ(f.names(),
              (QStringList{QStringLiteral("C"), QStringLiteral("a"), QStringLiteral("b")}));
    EXPECT_EQ(f.cell(f.page->holidayList(), 1, 2), QStringLiteral("2024-10-01 07:00"));
    EXPECT_TRUE(f.page->holidayList()->selectionModel()->selectedRows().isEmpty());
    EXPECT_EQ(reset.size(), 3) << "sorted as a refill";
    EXPECT_EQ(f.saves, 1);
    EXPECT_EQ(holidayName(f.stored().holidays[0]), QStringLiteral("C"));
    f.trigger(f.page->holidayMenu(), QStringLiteral("按名称排序"));
    EXPECT_EQ(f.names(),
              (QStringList{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("C")}));
    EXPECT_EQ(f.saves, 2);
    f.calendar.adjustedDays = {makeAdjustedDay({2024, 9, 29}, {2024, 10, 7}),
                               makeAdjustedDay({2024, 2, 4}, {2024, 2, 9})};
    f.page->refill();
    f.trigger(f.page->adjustedDayMenu(), QStringLiteral("按a日期排序"));
    EXPECT_EQ(f.cell(f.page->adjustedDayList(), 0, 0), QStringLiteral("2024-02-04 (周7)"));
    EXPECT_EQ(f.saves, 3);
}

TEST(HolidaysPage, FullListsRefuseToAddAndOpenNothing) {
    PageFixture f;
    for (int i = 0; i < kMaxHolidays; ++i) {
        f.calendar.holidays.push_back(makeHoliday(QString::number(i), kMay));
        f.calendar.adjustedDays.push_back(makeAdjustedDay({2030, 1, 1 + i % 28}, {2030, 2, 1}));
    }
    f.page->refill();
    // A dialog that opened anyway is closed again, and noted.
    int opened = 0;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            ++opened;
            modal->close();
        }
    });
    closer.start(20);
    f.button(QStringLiteral("addHolidayButton"))->click();
    f.button(QStringLiteral("addAdjustedDayButton"))->click();
    pumpEvents(100);
    EXPECT_EQ(opened, 0);
    EXPECT_EQ(f.messages.texts(), (QStringList{QStringLiteral("最多 128 个节假日"),
                                               QStringLiteral("最多 128 个调休")}));
    EXPECT_EQ(f.messages.shown[0].icon, MessageIcon::Warning);
    EXPECT_EQ(f.saves, 0);
}

TEST(HolidaysPage, CommandsWithoutASelectionAskForOne) {
    PageFixture f;
    f.addHolidays({makeHoliday(QStringLiteral("a"), kMay)});
    f.calendar.adjustedDays.push_back(makeAdjustedDay({2024, 4, 28}, {2024, 4, 30}));
    f.page->refill();
    f.button(QStringLiteral("modifyHolidayButton"))->click();
    f.button(QStringLiteral("deleteHolidayButton"))->click();
    f.trigger(f.page->holidayMenu(), QStringLiteral("启用"));
    f.trigger(f.page->holidayMenu(), QStringLiteral("停用"));
    f.button(QStringLiteral("modifyAdjustedDayButton"))->click();
    f.button(QStringLiteral("deleteAdjustedDayButton"))->click();
    f.trigger(f.page->adjustedDayMenu(), QStringLiteral("启用"));
    f.trigger(f.page->adjustedDayMenu(), QStringLiteral("停用"));
    EXPECT_EQ(f.messages.texts(),
              (QStringList{
                  QStringLiteral("修改 - 请先选中节假日"), QStringLiteral("删除 - 请先选中节假日"),
                  QStringLiteral("启用 - 请先选中节假日"), QStringLiteral("停用 - 请先选中节假日"),
                  QStringLiteral("请先选中要修改的项"), QStringLiteral("请先选中要删除的项"),
                  QStringLiteral("请先选中要启用的项"), QStringLiteral("请先选中要停用的项")}));
    for (const MessageRequest& shown : f.messages.shown) {
        EXPECT_EQ(shown.icon, MessageIcon::Information);
    }
    EXPECT_EQ(f.saves, 0);
}

TEST(HolidaysPage, AdjustedDaysAreAddedModifiedAndDisabled) {
    PageFixture f;
    whenModal([](QWidget* modal) {
        auto* dialog = qobject_cast<AdjustedDayDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        dialog->dateAEdit()->setDate(QDate(2018, 4, 28));
        dialog->dateBEdit()->setDate(QDate(2018, 4, 30));
        dialog->okButton()->click();
    });
    f.button(QStringLiteral("addAdjustedDayButton"))->click();
    QTreeView* list = f.page->adjustedDayList();
    ASSERT_EQ(list->model()->rowCount(), 1);
    EXPECT_EQ(f.cell(list, 0, 0), QStringLiteral("2018-04-28 (周6)"));
    EXPECT_EQ(f.cell(list, 0, 1), QStringLiteral("2018-04-30 (周1)"));
    EXPECT_EQ(f.calendar.adjustedDate(makeDateTime(2018, 4, 28, 8, 0)).dayOfWeek, 1);
    whenModal([](QWidget* modal) {
        auto* dialog = qobject_cast<AdjustedDayDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        dialog->remarkEdit()->setText(QStringLiteral("五一调休"));
        dialog->okButton()->click();
    });
    f.button(QStringLiteral("modifyAdjustedDayButton"))->click();
    EXPECT_EQ(f.cell(list, 0, 3), QStringLiteral("五一调休"));
    f.trigger(f.page->adjustedDayMenu(), QStringLiteral("停用"));
    EXPECT_EQ(f.cell(list, 0, 2), QStringLiteral("停用"));
    EXPECT_EQ(f.calendar.adjustedDate(makeDateTime(2018, 4, 28, 8, 0)).dayOfWeek, 6);
    EXPECT_EQ(f.saves, 3);
    const HolidayCalendar stored = f.stored();
    ASSERT_EQ(stored.adjustedDays.size(), 1u);
    EXPECT_EQ(fieldText(stored.adjustedDays[0].remark), QStringLiteral("五一调休"));
    EXPECT_EQ(stored.adjustedDays[0].disabled, 1);
}

TEST(HolidaysPage, DraggingARowShowsHowToSelectSeveral) {
    PageFixture f;
    f.addHolidays({makeHoliday(QStringLiteral("a"), kMay), makeHoliday(QStringLiteral("b"), kMay)});
    QTreeView* list = f.page->holidayList();
    const QPoint from = list->visualRect(list->model()->index(0, 0)).center();
    QTest::mousePress(list->viewport(), Qt::LeftButton, {}, from);
    const QPoint to = from + QPoint(0, 3 * QApplication::startDragDistance());
    QMouseEvent move(QEvent::MouseMove, to, list->viewport()->mapToGlobal(to), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(list->viewport(), &move);
    QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, to);
    EXPECT_EQ(f.messages.texts(), QStringList{DragHint::text()});
}

TEST(HolidaysPage, AFailedSaveShowsTheRescueTextAndKeepsTheChange) {
    TempFolder disk;
    const QString mount = disk.file(QStringLiteral("small"));
    QDir().mkpath(mount);
    if (runShell(QStringLiteral("mount -t tmpfs -o size=64k tmpfs '%1' 2>/dev/null").arg(mount)) !=
        0) {
        GTEST_SKIP() << "tmpfs cannot be mounted here";
    }
    {
        PageFixture f(mount);
        f.addHolidays({makeHoliday(QStringLiteral("a"), kMay)});
        f.select(f.page->holidayList(), {0});
        f.trigger(f.page->holidayMenu(), QStringLiteral("停用"));
        ASSERT_TRUE(f.messages.shown.isEmpty()) << f.messages.last().toStdString();
        // Fill the disk, leaving no room for the new copy.
        runShell(
            QStringLiteral("dd if=/dev/zero of='%1/filler' bs=1k count=64 2>/dev/null").arg(mount));
        f.trigger(f.page->holidayMenu(), QStringLiteral("启用"));
        EXPECT_EQ(f.saves, 2);
        ASSERT_EQ(f.messages.shown.size(), 1);
        EXPECT_EQ(f.messages.shown[0].icon, MessageIcon::Error);
        EXPECT_TRUE(f.messages.last().startsWith(QStringLiteral("写文件中途出错：\n") + f.file()))
            << f.messages.last().toStdString();
        EXPECT_TRUE(f.messages.last().endsWith(kRescueText));
        EXPECT_EQ(f.calendar.holidays[0].disabled, 0) << "the change stays in memory";
        EXPECT_EQ(f.cell(f.page->holidayList(), 0, 1), QStringLiteral("启用"));
        EXPECT_EQ(f.stored().holidays[0].disabled, 1) << "the previous file is kept";
    }
    runShell(QStringLiteral("umount '%1'").arg(mount));
}
