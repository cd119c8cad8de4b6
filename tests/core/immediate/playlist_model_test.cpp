#include <gtest/gtest.h>
#include <QAbstractItemModelTester>
#include <QItemSelectionModel>
#include <QSignalSpy>

#include "core/immediate/playlist_model.h"

namespace {

ImmediateSettings listOf(const QStringList& names) {
    ImmediateSettings settings;
    for (const QString& name : names) {
        settings.playlist.push_back(makePlaylistEntry(QStringLiteral("/m/") + name, 65000));
    }
    return settings;
}

QStringList column0(const PlaylistModel& model) {
    QStringList texts;
    for (int row = 0; row < model.rowCount(); ++row) {
        texts.append(model.index(row, 0).data().toString());
    }
    return texts;
}

}  // namespace

TEST(PlaylistModel, RowsShowNameArrowAndLength) {
    ImmediateSettings settings = listOf({QStringLiteral("a.mp3"), QStringLiteral("b.wav")});
    settings.playlist[1].durationMs = -1;
    settings.playlist[0].durationMs = 3'599'999;
    PlaylistModel model(settings);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    model.setCurrent(1);
    EXPECT_EQ(column0(model), (QStringList{QStringLiteral("a.mp3"), QStringLiteral("→ b.wav")}));
    EXPECT_EQ(model.index(0, 1).data().toString(), QStringLiteral("59:59"));
    EXPECT_EQ(model.index(1, 1).data().toString(), QString()) << "unknown length is empty";
    EXPECT_TRUE(model.index(1, 0).data(PlaylistModel::kCurrentRole).toBool());
    EXPECT_FALSE(model.index(0, 0).data(PlaylistModel::kCurrentRole).toBool());
    EXPECT_EQ(model.index(0, 1).data(Qt::TextAlignmentRole).value<Qt::Alignment>() & Qt::AlignRight,
              Qt::AlignRight);
    EXPECT_EQ(model.headerData(0, Qt::Horizontal).toString(), QStringLiteral("音乐"));
    EXPECT_EQ(model.headerData(1, Qt::Horizontal).toString(), QStringLiteral("时长"));
}

TEST(PlaylistModel, CurrentMarkAndDurationChangesRepaintOnlyTheirRows) {
    ImmediateSettings settings =
        listOf({QStringLiteral("a.mp3"), QStringLiteral("b.mp3"), QStringLiteral("c.mp3")});
    PlaylistModel model(settings);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    model.setCurrent(0);
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    model.setCurrent(2);
    ASSERT_EQ(changed.size(), 2);
    EXPECT_EQ(changed[0][0].toModelIndex().row(), 0);
    EXPECT_EQ(changed[1][0].toModelIndex().row(), 2);
    EXPECT_EQ(model.current(), 2);
    changed.clear();
    model.setDuration(1, -1);
    ASSERT_EQ(changed.size(), 1);
    EXPECT_EQ(changed[0][0].toModelIndex().row(), 1);
    EXPECT_EQ(settings.playlist[1].durationMs, -1);
}

TEST(PlaylistModel, SelectionAndCurrentMarkFollowTheirEntries) {
    ImmediateSettings settings =
        listOf({QStringLiteral("delta.mp3"), QStringLiteral("Alpha.wav"),
                QStringLiteral("charlie.ogg"), QStringLiteral("bravo.MP3")});
    PlaylistModel model(settings);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    QItemSelectionModel selection(&model);
    model.setCurrent(2);  // charlie
    selection.select(model.index(0, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);

    model.swapWithNext(0);
    EXPECT_EQ(column0(model),
              (QStringList{QStringLiteral("Alpha.wav"), QStringLiteral("delta.mp3"),
                           QStringLiteral("→ charlie.ogg"), QStringLiteral("bravo.MP3")}));
    EXPECT_TRUE(selection.isRowSelected(1));
    EXPECT_FALSE(selection.isRowSelected(0));

    model.sortBy(PlaylistModel::SortKey::Name, false);
    EXPECT_EQ(column0(model),
              (QStringList{QStringLiteral("Alpha.wav"), QStringLiteral("bravo.MP3"),
                           QStringLiteral("→ charlie.ogg"), QStringLiteral("delta.mp3")}));
    EXPECT_TRUE(selection.isRowSelected(3)) << "delta moved to the end with its selection";
    model.sortBy(PlaylistModel::SortKey::Name, true);
    EXPECT_EQ(model.index(0, 0).data().toString(), QStringLiteral("delta.mp3"));
    EXPECT_EQ(model.current(), 1);
    model.sortBy(PlaylistModel::SortKey::Type, false);
    QStringList types;
    for (const PlaylistEntry& e : model.entries()) {
        types.append(entryExtension(e));
    }
    EXPECT_EQ(types.mid(0, 2).join(u' ').toLower(), QStringLiteral(".mp3 .mp3"));
    EXPECT_EQ(types.mid(2), (QStringList{QStringLiteral(".ogg"), QStringLiteral(".wav")}));
    EXPECT_EQ(entryFileName(model.entries()[static_cast<size_t>(model.current())]),
              QStringLiteral("charlie.ogg"));

    std::mt19937 random(3);
    for (int i = 0; i < 5; ++i) {
        model.shuffle(random);
        EXPECT_EQ(entryFileName(model.entries()[static_cast<size_t>(model.current())]),
                  QStringLiteral("charlie.ogg"));
        ASSERT_EQ(selection.selectedRows().size(), 1);
        EXPECT_EQ(
            entryFileName(model.entries()[static_cast<size_t>(selection.selectedRows()[0].row())]),
            QStringLiteral("delta.mp3"));
    }
}

TEST(PlaylistModel, AppendRemoveAndClearKeepTheModelConsistent) {
    ImmediateSettings settings = listOf({QStringLiteral("a.mp3")});
    PlaylistModel model(settings);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    settings.playlist[0].playedThisRound = 1;
    model.append({makePlaylistEntry(QStringLiteral("/m/b.mp3"), 1),
                  makePlaylistEntry(QStringLiteral("/m/c.mp3"), 1)});
    EXPECT_EQ(model.rowCount(), 3);
    model.clearPlayedFlags();
    EXPECT_EQ(settings.playlist[0].playedThisRound, 0);
    EXPECT_TRUE(model.removeRows(1, 1));
    EXPECT_EQ(column0(model), (QStringList{QStringLiteral("a.mp3"), QStringLiteral("c.mp3")}));
    EXPECT_FALSE(model.removeRows(2, 1));
    model.clear();
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_EQ(model.current(), -1);
}
