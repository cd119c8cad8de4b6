#include <gtest/gtest.h>

#include "core/timed/programme_table.h"
#include "helpers/programme_builders.h"

namespace {

struct FakeRuns : RunningProgrammes {
    QStringList playing;
    QStringList stopped;
    bool hasRunOf(const QString& name) const override {
        for (const QString& p : playing) {
            if (p.compare(name, Qt::CaseInsensitive) == 0) {
                return true;
            }
        }
        return false;
    }
    void stopRunsOf(const QString& name, const QString& reason) override {
        stopped.append(name + QStringLiteral(" / ") + reason);
        playing.removeAll(name);
    }
};

QStringList names(const ProgrammeTable& t) {
    QStringList result;
    for (const Programme& p : t.items()) {
        result.append(programmeName(p));
    }
    return result;
}

ProgrammeTable tableOf(const QStringList& list) {
    ProgrammeTable t;
    for (const QString& n : list) {
        t.append(makeProgramme(n, {{8, 0, 0}}));
    }
    return t;
}

}  // namespace

TEST(ProgrammeTable, AddRefusesAtCapacityAndTakenNamesIgnoringCase) {
    ProgrammeTable table;
    QString message;
    ASSERT_TRUE(table.add(makeProgramme(QStringLiteral("Morning Bell"), {{8, 0, 0}}), message));
    EXPECT_FALSE(table.add(makeProgramme(QStringLiteral("morning bell"), {{9, 0, 0}}), message));
    EXPECT_EQ(message, QStringLiteral("该节目已存在"));
    for (int i = 1; i < 256; ++i) {
        ASSERT_TRUE(table.add(makeProgramme(QString::number(i), {{8, 0, 0}}), message));
    }
    EXPECT_FALSE(table.add(makeProgramme(QStringLiteral("one more"), {{8, 0, 0}}), message));
    EXPECT_EQ(message, QStringLiteral("最多 256 个节目"));
    EXPECT_EQ(table.size(), 256);
}

TEST(ProgrammeTable, EditKeepsItsOwnNameAndAsksBeforeStoppingARun) {
    ProgrammeTable table = tableOf({QStringLiteral("Bell"), QStringLiteral("Song")});
    FakeRuns runs;
    QString message;
    Programme edited = table.at(0);
    edited.volume = 50;
    edited.lastStartTime = makeDateTime(2024, 5, 1, 8, 0, 0);
    EXPECT_EQ(table.replace(0, edited, &runs, {}, message), EditResult::Replaced);
    EXPECT_EQ(table.at(0).volume, 50);
    EXPECT_EQ(table.at(0).lastStartTime, neverDateTime());

    setProgrammeName(edited, QStringLiteral("SONG"));
    EXPECT_EQ(table.replace(0, edited, &runs, {}, message), EditResult::Refused);
    EXPECT_EQ(message, QStringLiteral("该节目已存在"));

    runs.playing = {QStringLiteral("bell")};
    setProgrammeName(edited, QStringLiteral("Bell"));
    edited.volume = 30;
    QString asked;
    EXPECT_EQ(table.replace(
                  0, edited, &runs,
                  [&](const QString& q) {
                      asked = q;
                      return false;
                  },
                  message),
              EditResult::Declined);
    EXPECT_EQ(asked, QStringLiteral("该节目正在播放，终止后才可修改 !\n\n是否终止播放 ？"));
    EXPECT_EQ(table.at(0).volume, 50);
    EXPECT_TRUE(runs.stopped.isEmpty());

    setProgrammeName(edited, QStringLiteral("Bell 2"));
    EXPECT_EQ(table.replace(
                  0, edited, &runs,
                  [&](const QString& q) {
                      asked = q;
                      return true;
                  },
                  message),
              EditResult::Replaced);
    EXPECT_EQ(asked, QStringLiteral("该节目正在播放：\nBell\n\n终止后才可改名，是否终止播放？"));
    EXPECT_EQ(runs.stopped, QStringList{QStringLiteral("Bell / 用户终止播放")});
    EXPECT_EQ(names(table), (QStringList{QStringLiteral("Bell 2"), QStringLiteral("Song")}));
}

TEST(ProgrammeTable, DeleteStopsThePlayingOneAndRemovesAll) {
    ProgrammeTable table = tableOf({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"),
                                    QStringLiteral("d"), QStringLiteral("e")});
    FakeRuns runs;
    runs.playing = {QStringLiteral("D")};
    table.remove({3, 0, 2}, &runs);
    EXPECT_EQ(names(table), (QStringList{QStringLiteral("b"), QStringLiteral("e")}));
    EXPECT_EQ(runs.stopped, QStringList{QStringLiteral("d / 该节目被删除")});
}

TEST(ProgrammeTable, EnableAndDisableReportWhetherAnythingChanged) {
    ProgrammeTable table = tableOf({QStringLiteral("a"), QStringLiteral("b")});
    EXPECT_FALSE(table.setDisabled({0, 1}, false));
    EXPECT_TRUE(table.setDisabled({1}, true));
    EXPECT_FALSE(table.setDisabled({1}, true));
    EXPECT_TRUE(table.setDisabled({0, 1}, true));
    EXPECT_EQ(table.at(0).disabled, 1u);
}

TEST(ProgrammeTable, SortsByNameIgnoringCaseAndByFirstStartOnly) {
    ProgrammeTable table;
    table.append(makeProgramme(QStringLiteral("beta"), {{9, 0, 0}, {6, 0, 0}}));
    table.append(makeProgramme(QStringLiteral("Alpha"), {{10, 0, 0}}));
    table.append(makeProgramme(QStringLiteral("gamma"), {{7, 30, 0}}));
    ASSERT_TRUE(table.sortByName(true));
    EXPECT_EQ(names(table), (QStringList{QStringLiteral("Alpha"), QStringLiteral("beta"),
                                         QStringLiteral("gamma")}));
    ASSERT_TRUE(table.sortByName(false));
    EXPECT_EQ(names(table).first(), QStringLiteral("gamma"));
    ASSERT_TRUE(table.sortByFirstStart(true));
    EXPECT_EQ(names(table), (QStringList{QStringLiteral("gamma"), QStringLiteral("beta"),
                                         QStringLiteral("Alpha")}));
    ASSERT_TRUE(table.sortByFirstStart(false));
    EXPECT_EQ(names(table).first(), QStringLiteral("Alpha"));
    ProgrammeTable one = tableOf({QStringLiteral("x")});
    EXPECT_FALSE(one.sortByName(true));
    EXPECT_FALSE(one.sortByFirstStart(true));
}

TEST(ProgrammeTable, TrimmingNamesAndPaths) {
    EXPECT_EQ(trimProgrammeName(QStringLiteral("  早操 \u3000")), QStringLiteral("早操"));
    EXPECT_EQ(trimProgrammeName(QStringLiteral("\u3000\u3000")), QString());
    EXPECT_EQ(trimMusicPath(QStringLiteral(" /m/a.mp3 "), true), QStringLiteral("/m/a.mp3"));
    EXPECT_EQ(trimMusicPath(QStringLiteral(" /m/folder  "), false), QStringLiteral("/m/folder  "));
}
