#include <gtest/gtest.h>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>

#include "ui/timed/manual_play_dialog.h"
#include "ui/timed/page_fixture.h"
#include "ui/timed/programme_editor.h"

TEST(TimedPage, ProgrammeRowsShowEveryColumn) {
    PageFixture f;
    Programme& p = f.add(QStringLiteral("早操"), {{7, 55, 0}, {12, 30, 0}});
    p.byWeekday = 0;
    p.monthDays[0] = 1;
    p.monthDays[14] = 1;
    p.countByTracks = 0;
    p.secondsCount = 600;
    p.volume = 65;
    f.harness.programmeList.reload();
    EXPECT_EQ(f.cell(0, 0), QStringLiteral("早操"));
    EXPECT_EQ(f.cell(0, 1), QStringLiteral("启用"));
    EXPECT_EQ(f.cell(0, 2), QStringLiteral("07:55:00,  12:30:00,"));
    EXPECT_EQ(f.cell(0, 3), QStringLiteral("600秒"));
    f.add(QStringLiteral("bell"));
    EXPECT_EQ(f.cell(1, 3), QStringLiteral("1遍"));
    EXPECT_TRUE(f.cell(0, 4).endsWith(QStringLiteral("/早操.mp3")));
    EXPECT_EQ(f.cell(0, 5), QStringLiteral("65"));
    EXPECT_EQ(f.cell(0, 6), QStringLiteral("每月:1,15"));
    EXPECT_EQ(f.cell(0, 7), QStringLiteral("2000-01-01 00:00 ~ 2099-12-31 24:00"));
    QTreeView* list = f.page->programmeList();
    EXPECT_EQ(list->model()->headerData(6, Qt::Horizontal).toString(), QStringLiteral("周几/几号"));
    EXPECT_EQ(list->columnWidth(7), 285);
    const auto alignment =
        list->model()->index(0, 3).data(Qt::TextAlignmentRole).value<Qt::Alignment>();
    EXPECT_EQ(alignment & Qt::AlignRight, Qt::AlignRight);
}

TEST(TimedPage, ExpiredProgrammeShowsItsStatusUnlessDisabled) {
    PageFixture f;
    Programme& p = f.add(QStringLiteral("last term"));
    p.dateRange = DateHourRange{2024, 1, 1, 0, 2024, 5, 5, 24};  // ended yesterday
    f.harness.programmeList.reload();
    EXPECT_EQ(f.cell(0, 1), QStringLiteral("已过有效期"));
    f.harness.tick();
    EXPECT_EQ(f.cell(0, 1), QStringLiteral("已过有效期"));
    f.select({0});
    f.page->disableProgrammes();
    EXPECT_EQ(f.cell(0, 1), QStringLiteral("停用"));
    f.harness.tick();
    EXPECT_EQ(f.cell(0, 1), QStringLiteral("停用")) << "the tick leaves disabled rows alone";
}

TEST(TimedPage, AddAtCapacityOpensNothing) {
    PageFixture f;
    for (int i = 0; i < 256; ++i) {
        f.harness.table.append(newProgramme());
    }
    f.harness.programmeList.reload();
    f.page->addProgramme();
    EXPECT_EQ(f.messages.texts(), QStringList{QStringLiteral("最多 256 个节目")});
    EXPECT_EQ(f.messages.shown[0].icon, MessageIcon::Warning);
    EXPECT_EQ(f.saves, 0);
}

TEST(TimedPage, AddedProgrammeIsTrimmedSelectedAndSaved) {
    PageFixture f;
    const QString music = f.harness.musicFile(QStringLiteral("bell.mp3"));
    whenModal([&](QWidget* dialog) {
        auto* editor = qobject_cast<ProgrammeEditor*>(dialog);
        ASSERT_NE(editor, nullptr);
        EXPECT_EQ(child<QPushButton>(editor, "okButton")->text(), QStringLiteral("添加节目"));
        child<QLineEdit>(editor, "nameEdit")->setText(QStringLiteral("  Morning Bell \u3000"));
        child<QLineEdit>(editor, "filePathEdit")
            ->setText(QStringLiteral(" ") + music + QStringLiteral("  "));
        child<QPushButton>(editor, "okButton")->click();
    });
    f.page->addProgramme();
    ASSERT_EQ(f.harness.table.size(), 1);
    EXPECT_EQ(programmeName(f.harness.table.at(0)), QStringLiteral("Morning Bell"));
    EXPECT_EQ(programmePath(f.harness.table.at(0)), music);
    EXPECT_EQ(f.saves, 1);
    EXPECT_TRUE(f.isSelected(0));
    EXPECT_EQ(f.harness.table.at(0).startTimes[0], (ClockTime{22, 10, 10}));
}

TEST(TimedPage, DeletingThreeOfWhichOnePlaysAsksOnceAndSavesOnce) {
    PageFixture f;
    for (const char* name : {"a", "b", "c", "d"}) {
        f.add(QString::fromLatin1(name));
    }
    f.harness.dispatcher.manualPlay(2, 1);
    f.harness.tick();
    f.select({0, 2, 3});
    f.messages.answers = {true};
    f.page->deleteProgrammes();
    EXPECT_EQ(f.messages.texts(), QStringList{QStringLiteral("确定删除？")});
    EXPECT_EQ(f.messages.shown[0].icon, MessageIcon::Question);
    EXPECT_EQ(f.harness.log.texts().last(), QStringLiteral("c(手动) ◆ 终止播放... ◆ 该节目被删除"));
    ASSERT_EQ(f.harness.table.size(), 1);
    EXPECT_EQ(programmeName(f.harness.table.at(0)), QStringLiteral("b"));
    EXPECT_EQ(f.page->programmeList()->model()->rowCount(), 1);
    EXPECT_EQ(f.cell(0, 0), QStringLiteral("b"));
    EXPECT_EQ(f.saves, 1);
    EXPECT_EQ(f.page->nowPlayingList()->model()->rowCount(), 0);
}

TEST(TimedPage, CommandsThatChangeNothingWriteNothing) {
    PageFixture f;
    f.add(QStringLiteral("only"));
    f.page->sortProgrammes(TimedPage::SortOrder::NameAscending);
    EXPECT_EQ(f.saves, 0) << "sorting one programme";
    f.add(QStringLiteral("second"));
    f.select({0, 1});
    f.page->disableProgrammes();
    EXPECT_EQ(f.saves, 1);
    f.page->disableProgrammes();
    EXPECT_EQ(f.saves, 1) << "already disabled";
    f.select({0, 1});
    f.page->moveUp();
    EXPECT_EQ(f.saves, 1) << "the first row is selected";
    f.select({1});
    f.page->moveDown();
    EXPECT_EQ(f.saves, 1) << "the last row is selected";
    f.select({});
    f.page->modifyProgramme();
    f.page->enableProgrammes();
    f.page->manualPlay();
    f.page->stopSelectedRuns();
    EXPECT_EQ(f.messages.texts(), (QStringList{QStringLiteral("修改 - 请先选中节目"),
                                               QStringLiteral("启用 - 请先选中节目"),
                                               QStringLiteral("立即播此节目 - 请先选中节目"),
                                               QStringLiteral("终止本次播放 - 请先选中节目")}));
    EXPECT_EQ(f.saves, 1);
}

TEST(TimedPage, MovesFollowTheSelectionAndArrowKeysMove) {
    PageFixture f;
    for (const char* name : {"a", "b", "c"}) {
        f.add(QString::fromLatin1(name));
    }
    f.select({2});
    f.page->programmeList()->setFocus();
    QKeyEvent up(QEvent::KeyPress, Qt::Key_Up, Qt::NoModifier);
    QApplication::sendEvent(f.page->programmeList(), &up);
    EXPECT_EQ(f.cell(1, 0), QStringLiteral("c"));
    EXPECT_TRUE(f.isSelected(1));
    EXPECT_FALSE(f.isSelected(2));
    QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
    QApplication::sendEvent(f.page->programmeList(), &down);
    QApplication::sendEvent(f.page->programmeList(), &down);
    EXPECT_EQ(programmeName(f.harness.table.at(2)), QStringLiteral("c"));
    EXPECT_EQ(f.saves, 2);
}

TEST(TimedPage, ManualPlayRefusesNonCanonicalCounts) {
    PageFixture f;
    Programme& p = f.add(QStringLiteral("music"));
    p.countByTracks = 0;
    p.secondsCount = 600;
    for (const char* bad : {"0", "00", "+5"}) {
        ManualPlayDialog dialog(p);
        dialog.show();
        dialog.countEdit()->setText(QString::fromLatin1(bad));
        dialog.accept();
        EXPECT_EQ(f.messages.last(), QStringLiteral("播 n 秒，输入无效")) << bad;
        EXPECT_TRUE(dialog.isVisible()) << "stays open";
        EXPECT_EQ(dialog.countEdit()->selectedText(), QString::fromLatin1(bad));
    }
    p.countByTracks = 1;
    ManualPlayDialog tracks(p);
    tracks.countEdit()->setText(QStringLiteral("0"));
    tracks.accept();
    EXPECT_EQ(f.messages.last(), QStringLiteral("播 n 首，输入无效"));
    f.select({0});
    whenModal([](QWidget* dialog) {
        static_cast<ManualPlayDialog*>(dialog)->countEdit()->setText(QStringLiteral("2"));
        static_cast<ManualPlayDialog*>(dialog)->accept();
    });
    f.page->manualPlay();
    f.harness.tick();
    ASSERT_EQ(f.page->nowPlayingList()->model()->rowCount(), 1);
    EXPECT_EQ(f.playing(0, 0), QStringLiteral("music(手动)"));
    EXPECT_EQ(f.playing(0, 1), QStringLiteral("1/2遍"));
}

TEST(TimedPage, OpeningTheLogBeforeAnyEventSaysSo) {
    PageFixture f;
    f.page->openLog();
    EXPECT_EQ(f.messages.last(), QStringLiteral("还未生成日志文件     \n"));
}
