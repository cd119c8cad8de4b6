#include <gtest/gtest.h>
#include <QAbstractItemModelTester>
#include <QSignalSpy>

#include "core/holidays/adjusted_day_list_model.h"
#include "core/holidays/holiday_list_model.h"
#include "helpers/holiday_builders.h"

namespace {

using Tester = QAbstractItemModelTester;

QString cell(const QAbstractItemModel& model, int row, int column, int role = Qt::DisplayRole) {
    return model.index(row, column).data(role).toString();
}

int alignment(const QAbstractItemModel& model, int row, int column) {
    return model.index(row, column).data(Qt::TextAlignmentRole).toInt();
}

QList<int> changedRows(const QSignalSpy& spy) {
    QList<int> rows;
    for (const QList<QVariant>& signal : spy) {
        const auto first = signal[0].value<QModelIndex>();
        const auto last = signal[1].value<QModelIndex>();
        EXPECT_EQ(first.row(), last.row());
        EXPECT_EQ(first.column(), 0);
        EXPECT_EQ(last.column(), 3) << "the whole row is refreshed";
        rows.append(first.row());
    }
    return rows;
}

}  // namespace

TEST(HolidayListModel, RowsShowTheirHolidayAndTheCalendarSeesEveryChange) {
    HolidayCalendar calendar;
    HolidayListModel model(calendar);
    Tester tester(&model, Tester::FailureReportingMode::Fatal);
    EXPECT_EQ(model.headerData(0, Qt::Horizontal).toString(), QStringLiteral("节假日名称"));
    EXPECT_EQ(model.headerData(1, Qt::Horizontal).toString(), QStringLiteral("启/停"));
    EXPECT_EQ(model.headerData(2, Qt::Horizontal).toString(), QStringLiteral("开始日期时间"));
    EXPECT_EQ(model.headerData(3, Qt::Horizontal).toString(), QStringLiteral("结束日期时间"));
    EXPECT_EQ(model.headerData(1, Qt::Horizontal, Qt::TextAlignmentRole).toInt(),
              int(Qt::AlignCenter));

    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    EXPECT_EQ(model.append(makeHoliday(QStringLiteral("劳动节"), {2024, 5, 1, 0, 2024, 5, 5, 24})),
              0);
    EXPECT_EQ(model.append(
                  makeHoliday(QStringLiteral("运动会"), {2024, 10, 9, 8, 2024, 10, 9, 17}, true)),
              1);
    EXPECT_EQ(inserted.size(), 2);
    EXPECT_EQ(cell(model, 0, 0), QStringLiteral("劳动节"));
    EXPECT_EQ(cell(model, 0, 1), QStringLiteral("启用"));
    EXPECT_EQ(cell(model, 0, 2), QStringLiteral("2024-05-01 00:00"));
    EXPECT_EQ(cell(model, 0, 3), QStringLiteral("2024-05-05 24:00"));
    EXPECT_EQ(cell(model, 1, 1), QStringLiteral("停用"));
    EXPECT_EQ(cell(model, 1, 2), QStringLiteral("2024-10-09 08:00"));
    EXPECT_EQ(alignment(model, 0, 1), int(Qt::AlignCenter));
    EXPECT_EQ(alignment(model, 0, 0) & Qt::AlignLeft, Qt::AlignLeft);
    EXPECT_TRUE(calendar.isInHoliday(makeDateTime(2024, 5, 5, 23, 59, 0)));
    EXPECT_FALSE(calendar.isInHoliday(makeDateTime(2024, 10, 9, 9, 0, 0)));

    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    EXPECT_TRUE(model.setDisabled({0, 1}, true));
    EXPECT_EQ(changedRows(changed), QList<int>{0}) << "row 1 was disabled already";
    EXPECT_FALSE(calendar.isInHoliday(makeDateTime(2024, 5, 2, 8, 0, 0)));
    EXPECT_FALSE(model.setDisabled({0, 1}, true));
    EXPECT_EQ(changed.size(), 1);
    EXPECT_TRUE(model.setDisabled({1}, false));
    EXPECT_EQ(cell(model, 1, 1), QStringLiteral("启用"));
    EXPECT_TRUE(calendar.isInHoliday(makeDateTime(2024, 10, 9, 9, 0, 0)));

    changed.clear();
    model.replace(0, makeHoliday(QStringLiteral("五一"), {2024, 5, 1, 0, 2024, 5, 3, 24}));
    EXPECT_EQ(changedRows(changed), QList<int>{0});
    EXPECT_EQ(cell(model, 0, 0), QStringLiteral("五一"));
    EXPECT_EQ(holidayName(calendar.holidays[0]), QStringLiteral("五一"));

    model.remove({1, 0, 1});
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_TRUE(calendar.holidays.empty());
    EXPECT_FALSE(calendar.isInHoliday(makeDateTime(2024, 10, 9, 9, 0, 0)));
}

TEST(HolidayListModel, AFullListTakesNoMore) {
    HolidayCalendar calendar;
    HolidayListModel model(calendar);
    for (int i = 0; i < kMaxHolidays; ++i) {
        ASSERT_EQ(model.append(makeHoliday(QString::number(i), {2024, 1, 1, 0, 2024, 1, 1, 24})),
                  i);
    }
    EXPECT_TRUE(model.isFull());
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsAboutToBeInserted);
    EXPECT_EQ(model.append(makeHoliday(QStringLiteral("x"), {2024, 1, 1, 0, 2024, 1, 1, 24})), -1);
    EXPECT_EQ(calendar.holidays.size(), size_t(kMaxHolidays));
    EXPECT_TRUE(inserted.isEmpty());
}

TEST(AdjustedDayListModel, RowsShowWeekdaysWithSundayAsSeven) {
    HolidayCalendar calendar;
    AdjustedDayListModel model(calendar);
    Tester tester(&model, Tester::FailureReportingMode::Fatal);
    EXPECT_EQ(model.headerData(0, Qt::Horizontal).toString(), QStringLiteral("a日期"));
    EXPECT_EQ(model.headerData(3, Qt::Horizontal).toString(), QStringLiteral("备注"));
    // 2018: Sunday 29 April worked as Monday 30 April.
    model.append(makeAdjustedDay({2018, 4, 29}, {2018, 4, 30}));
    model.append(makeAdjustedDay({2018, 4, 28}, {2018, 5, 1}, true, QString()));
    EXPECT_EQ(cell(model, 0, 0), QStringLiteral("2018-04-29 (周7)"));
    EXPECT_EQ(cell(model, 0, 1), QStringLiteral("2018-04-30 (周1)"));
    EXPECT_EQ(cell(model, 0, 2), QStringLiteral("启用"));
    EXPECT_EQ(cell(model, 0, 3), QStringLiteral("劳动节调休"));
    EXPECT_EQ(cell(model, 1, 0), QStringLiteral("2018-04-28 (周6)"));
    EXPECT_EQ(cell(model, 1, 2), QStringLiteral("停用"));
    EXPECT_EQ(alignment(model, 1, 2), int(Qt::AlignCenter));
    EXPECT_EQ(calendar.adjustedDate(makeDateTime(2018, 4, 29, 7, 30)).dayOfWeek, 1);
    EXPECT_EQ(calendar.adjustedDate(makeDateTime(2018, 4, 28, 7, 30)).day, 28);
    EXPECT_TRUE(model.setDisabled({0, 1}, false));
    EXPECT_EQ(calendar.adjustedDate(makeDateTime(2018, 4, 28, 7, 30)).day, 1);
    EXPECT_TRUE(model.sortByDateA());
    EXPECT_EQ(cell(model, 0, 0), QStringLiteral("2018-04-28 (周6)"));
    model.remove({0});
    EXPECT_EQ(calendar.adjustedDate(makeDateTime(2018, 4, 28, 7, 30)).day, 28);
}
