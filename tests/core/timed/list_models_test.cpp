#include <gtest/gtest.h>
#include <QAbstractItemModelTester>
#include <QPersistentModelIndex>
#include <QSignalSpy>

#include "core/timed/log_rows_model.h"
#include "core/timed/now_playing_model.h"
#include "core/timed/programme_list_model.h"
#include "helpers/engine_harness.h"

namespace {

constexpr auto kFatal = QAbstractItemModelTester::FailureReportingMode::Fatal;

QStringList shownNames(const ProgrammeListModel& model) {
    QStringList names;
    for (int row = 0; row < model.rowCount(); ++row) {
        names.append(model.index(row, ProgrammeListModel::Name).data().toString());
    }
    return names;
}

Programme named(const QString& name, ClockTime first = {9, 0, 0}) {
    Programme p = newProgramme();
    setProgrammeName(p, name);
    p.startTimes[0] = first;
    return p;
}

}  // namespace

TEST(ProgrammeListModel, EveryChangeOfTheTableMovesItsRows) {
    SimulatedClock clock;
    clock.set(at(8, 0, 0));
    ProgrammeTable table;
    ProgrammeListModel model(table, clock);
    QAbstractItemModelTester tester(&model, kFatal);
    QString message;
    for (const char* name : {"d", "B", "c", "a"}) {
        ASSERT_TRUE(model.add(named(QString::fromLatin1(name)), message));
    }
    EXPECT_FALSE(model.add(named(QStringLiteral("b")), message)) << "names are unique";
    EXPECT_EQ(message, QStringLiteral("该节目已存在"));
    EXPECT_EQ(model.rowCount(), 4);

    // A selection kept as persistent indexes follows its rows through moves.
    QPersistentModelIndex c(model.index(2, 0));
    QSignalSpy moved(&model, &QAbstractItemModel::rowsMoved);
    QList<int> rows{2, 3};
    ASSERT_TRUE(model.moveUp(rows));
    EXPECT_EQ(rows, (QList<int>{1, 2}));
    EXPECT_EQ(shownNames(model), (QStringList{QStringLiteral("d"), QStringLiteral("c"),
                                              QStringLiteral("a"), QStringLiteral("B")}));
    EXPECT_EQ(c.row(), 1);
    EXPECT_EQ(moved.count(), 2);
    rows = {0, 2};
    EXPECT_FALSE(model.moveUp(rows)) << "the first row cannot go up";
    rows = {1, 3};
    EXPECT_FALSE(model.moveDown(rows)) << "the last row cannot go down";
    EXPECT_EQ(moved.count(), 2);
    rows = {0, 1};
    ASSERT_TRUE(model.moveDown(rows));
    EXPECT_EQ(rows, (QList<int>{1, 2}));
    EXPECT_EQ(shownNames(model), (QStringList{QStringLiteral("a"), QStringLiteral("d"),
                                              QStringLiteral("c"), QStringLiteral("B")}));
    EXPECT_EQ(c.row(), 2);

    ASSERT_TRUE(model.sortByName(true));
    EXPECT_EQ(shownNames(model), (QStringList{QStringLiteral("a"), QStringLiteral("B"),
                                              QStringLiteral("c"), QStringLiteral("d")}));
    QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
    model.remove({3, 0, 3}, nullptr);
    EXPECT_EQ(removed.count(), 2);
    EXPECT_EQ(shownNames(model), (QStringList{QStringLiteral("B"), QStringLiteral("c")}));
    EXPECT_EQ(table.size(), 2);

    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    EXPECT_FALSE(model.setDisabled({0, 1}, false)) << "nothing to change";
    EXPECT_EQ(changed.count(), 0);
    ASSERT_TRUE(model.setDisabled({1}, true));
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(model.index(1, ProgrammeListModel::Status).data().toString(), QStringLiteral("停用"));
    Programme renamed = named(QStringLiteral("C-new"));
    ASSERT_EQ(model.replace(1, renamed, nullptr, {}, message), EditResult::Replaced);
    EXPECT_EQ(model.index(1, ProgrammeListModel::Name).data().toString(), QStringLiteral("C-new"));
    EXPECT_EQ(model.index(1, ProgrammeListModel::Status).data().toString(), QStringLiteral("启用"));
}

TEST(ProgrammeListModel, StatusCellsAnnounceOnlyChanges) {
    SimulatedClock clock;
    clock.set(at(8, 0, 0));
    ProgrammeTable table;
    table.append(named(QStringLiteral("term")));
    ProgrammeListModel model(table, clock);
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    model.setStatus(0, ProgrammeStatus::Enabled);
    EXPECT_EQ(changed.count(), 0);
    model.setStatus(0, ProgrammeStatus::Expired);
    model.setStatus(0, ProgrammeStatus::Expired);
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed[0][0].value<QModelIndex>().column(), ProgrammeListModel::Status);
    EXPECT_EQ(model.index(0, ProgrammeListModel::Status).data().toString(),
              QStringLiteral("已过有效期"));
    model.setStatus(5, ProgrammeStatus::Enabled);  // no such row: ignored
}

TEST(NowPlayingModel, RunsAndTheirTextsComeAndGoTogether) {
    NowPlayingModel model;
    QAbstractItemModelTester tester(&model, kFatal);
    auto run = [](const QString& name) {
        auto r = std::make_unique<ActiveRun>();
        r->programme = named(name);
        return r;
    };
    model.append(run(QStringLiteral("早操")), QString());
    model.append(run(QStringLiteral("铃声")), QStringLiteral("排队等候"));
    EXPECT_EQ(model.index(1, NowPlayingModel::Progress).data().toString(),
              QStringLiteral("排队等候"));
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    model.setProgress(0, QStringLiteral("1/2首"));
    model.setProgress(0, QStringLiteral("1/2首"));
    model.setTrack(0, QStringLiteral("a.mp3"));
    EXPECT_EQ(changed.count(), 2);
    model.take(0);
    EXPECT_EQ(model.index(0, NowPlayingModel::Name).data().toString(), QStringLiteral("铃声"));
    EXPECT_EQ(model.index(0, NowPlayingModel::Track).data().toString(), QString());
    EXPECT_EQ(model.takeAll().size(), 1u);
    EXPECT_EQ(model.rowCount(), 0);
}

TEST(LogRowsModel, StartsAfreshPastTheLimit) {
    LogRowsModel model;
    QAbstractItemModelTester tester(&model, kFatal);
    for (int i = 1; i <= 300; ++i) {
        model.append(at(8, 0, 0), QStringLiteral("event %1").arg(i));
    }
    // 257 rows, then a fresh list from event 258.
    ASSERT_EQ(model.rowCount(), 43);
    EXPECT_EQ(model.index(0, LogRowsModel::Text).data().toString(), QStringLiteral("event 258"));
    EXPECT_EQ(model.index(0, LogRowsModel::Time).data().toString(),
              QStringLiteral("2024-05-06 08:00:00"));
}
