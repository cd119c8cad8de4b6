#include <gtest/gtest.h>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

#include <QListWidget>
#include <QRadioButton>
#include "core/support/date_text.h"
#include "core/timed/play_log.h"
#include "core/timed/run_watch.h"
#include "core/timed/today_model.h"
#include "helpers/test_environment.h"
#include "ui/timed/log_viewer_dialog.h"
#include "ui/timed/page_fixture.h"
#include "ui/timed/programme_editor.h"
#include "ui/timed/start_times_dialog.h"
#include "ui/timed/time_field.h"
#include "ui/timed/today_dialog.h"
#include "ui/widgets/hyper_link.h"
#include "ui/widgets/message_box.h"

namespace {

// The buttons of the message box as a user reads them, without the keyboard mnemonics.
QStringList buttonTexts(QWidget* box) {
    QStringList texts;
    for (QPushButton* button : box->findChildren<QPushButton*>()) {
        texts.append(button->text().remove(QRegularExpression(QStringLiteral("\\(&.\\)|&"))));
    }
    texts.sort();
    return texts;
}

}  // namespace

TEST(ChineseQt, MessageBoxesSayQueDingAndShiFou) {
    QStringList okButtons;
    whenModal([&](QWidget* box) {
        okButtons = buttonTexts(box);
        static_cast<QMessageBox*>(box)->button(QMessageBox::Ok)->click();
    });
    MessageRequest info;
    info.text = QStringLiteral("请先选中节目");
    EXPECT_TRUE(presentAsDialog(info));
    EXPECT_EQ(okButtons, QStringList{QStringLiteral("确定")});

    QStringList questionButtons;
    whenModal([&](QWidget* box) {
        questionButtons = buttonTexts(box);
        static_cast<QMessageBox*>(box)->button(QMessageBox::No)->click();
    });
    MessageRequest question;
    question.icon = MessageIcon::Question;
    question.text = QStringLiteral("确定删除？");
    question.yesNo = true;
    EXPECT_FALSE(presentAsDialog(question));
    EXPECT_EQ(questionButtons, (QStringList{QStringLiteral("否"), QStringLiteral("是")}));

    // Qt's own dialogs too: the cancel button of a standard button box.
    QMessageBox box(QMessageBox::Warning, QString(), QString(),
                    QMessageBox::Ok | QMessageBox::Cancel);
    EXPECT_EQ(buttonTexts(&box), (QStringList{QStringLiteral("取消"), QStringLiteral("确定")}));
}

TEST(TodayView, OpensFromTheLinkBesideTheProgrammeListAndFollowsTheModel) {
    PageFixture f;
    f.add(QStringLiteral("早操"), {{9, 0, 0}, {10, 0, 0}});
    RunWatch watch(f.harness.runs.nowPlaying());
    TodayModel model(f.harness.table, f.harness.calendar, f.harness.clock, watch);
    HyperLink* link = child<HyperLink>(f.page, "todayLink");
    ASSERT_NE(link, nullptr);
    EXPECT_FALSE(link->isVisible()) << "no link without today's starts";
    f.page->setTodayModel(&model);
    EXPECT_TRUE(link->isVisible());
    QTest::mouseClick(link, Qt::LeftButton);
    TodayDialog* dialog = f.page->todayDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->list()->model()->rowCount(), 2);
    EXPECT_TRUE(child<QLabel>(dialog, "todaySummary")
                    ->text()
                    .contains(QStringLiteral("下一个: 09:00:00 早操")));
    f.harness.table[0].startTimes[f.harness.table[0].startCount++] = {11, 0, 0};
    model.rebuild();
    EXPECT_EQ(dialog->list()->model()->rowCount(), 3);
    dialog->close();
}

TEST(ProgrammeList, DisabledProgrammesAreGreyAndTheTooltipHoldsEveryStartTime) {
    PageFixture f;
    Programme& p = f.add(
        QStringLiteral("打铃"),
        {{8, 0, 0}, {8, 45, 0}, {8, 55, 0}, {9, 40, 0}, {9, 50, 0}, {10, 35, 0}, {10, 45, 0}});
    p.disabled = 1;
    f.harness.programmeList.reload();
    const QModelIndex times = f.harness.programmeList.index(0, ProgrammeListModel::StartTimes);
    EXPECT_TRUE(times.data().toString().endsWith(QStringLiteral("  ...")));
    const QString tip = times.data(Qt::ToolTipRole).toString();
    EXPECT_TRUE(tip.contains(QStringLiteral("10:35:00")));
    EXPECT_TRUE(tip.contains(QStringLiteral("10:45:00")));
    EXPECT_EQ(f.harness.programmeList.index(0, 0).data(Qt::ForegroundRole).toString(),
              QStringLiteral("gray"));
    f.harness.programmeList.setDisabled({0}, false);
    EXPECT_FALSE(f.harness.programmeList.index(0, 0).data(Qt::ForegroundRole).isValid());
}

TEST(LogViewer, OpenLogFallsBackToTheOwnViewerWithoutAProgramForText) {
    PageFixture f;
    const QString path = f.paths.dataFile(kPlayLogFileName);
    QString error;
    for (int i = 0; i < 300; ++i) {
        const QString name = i % 3 == 0 ? QStringLiteral("早操") : QStringLiteral("午休");
        ASSERT_TRUE(appendPlayLog(f.paths.dataFolder, at(8, i / 60, i % 60),
                                  name + QStringLiteral(" ◆ 开始播放 %1").arg(i), error));
    }
    // No xdg-open, no xdg-mime: this desktop has no program for text files.
    TempFolder emptyPath;
    EnvironmentGuard noTools("PATH", emptyPath.path().toLocal8Bit());
    f.page->openLog();
    LogViewerDialog* viewer = f.page->logViewer();
    ASSERT_NE(viewer, nullptr);
    EXPECT_TRUE(f.messages.shown.isEmpty());
    ASSERT_TRUE(QTest::qWaitFor([&] { return viewer->isLoaded(); }, 10000));
    QAbstractItemModel* lines = viewer->lines()->model();
    ASSERT_EQ(lines->rowCount(), 300);
    EXPECT_TRUE(lines->index(299, 0).data().toString().endsWith(QStringLiteral("开始播放 299")))
        << "newest last";
    viewer->filter()->insert(QStringLiteral("早操"));
    EXPECT_EQ(lines->rowCount(), 100);
    EXPECT_TRUE(
        lines->index(99, 0).data().toString().startsWith(QStringLiteral("2024-05-06 08:04:57")));
    viewer->close();
}

TEST(ProgrammeEditorTyping, ThePathProbeNeverHoldsUpTheUserInterface) {
    PageFixture f;
    // A large file that is no music: the probe reads into it and gives up.
    const QString big = f.harness.folder.file(QStringLiteral("大文件.mp3"));
    QFile file(big);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_TRUE(file.resize(512LL * 1024 * 1024));
    file.close();
    ProgrammeEditor editor(f.harness.programmeList, -1, &f.harness.runs, f.paths);
    editor.show();
    int probes = 0;
    QObject::connect(&editor, &ProgrammeEditor::lengthProbed, [&] { ++probes; });
    QLineEdit* path = child<QLineEdit>(&editor, "filePathEdit");
    path->setFocus();

    QElapsedTimer clock;
    clock.start();
    qint64 last = 0;
    qint64 longest = 0;
    QTimer ticks;
    ticks.setTimerType(Qt::PreciseTimer);
    QObject::connect(&ticks, &QTimer::timeout, [&] {
        const qint64 now = clock.elapsed();
        longest = std::max(longest, now - last);
        last = now;
    });
    ticks.start(5);
    // Typed as a person types, with pauses in which the probe starts.
    for (int i = 0; i < big.size(); ++i) {
        QTest::keyClick(path, big.at(i).toLatin1() != 0 ? big.at(i).toLatin1() : 'x');
        if (big.at(i).unicode() > 127) {
            path->insert(QString(big.at(i)));  // not on the test keyboard
            path->backspace();
            path->insert(QString(big.at(i)));
        }
        QTest::qWait(i % 8 == 0 ? 400 : 30);
    }
    path->setText(big);
    ASSERT_TRUE(QTest::qWaitFor([&] { return probes > 0 && path->text() == big; }, 15000));
    QTest::qWait(4000);
    ticks.stop();
    std::printf(
        "longest gap between 5 ms timer ticks while typing a path to a 512 MiB file: "
        "%lld ms (%d probes answered)\n",
        static_cast<long long>(longest), probes);
    EXPECT_EQ(child<QLabel>(&editor, "lengthLabel")->text(), QString());
    editor.reject();
}

TEST(StartTimesTyping, TypedTimesAreTakenAsTyped) {
    RecordedMessages messages;
    StartTimesDialog dialog({ClockTime{22, 10, 10}});
    dialog.show();
    TimeField* single = dialog.singleTime();
    single->setFocus();
    single->selectAll();
    QTest::keyClicks(single, QStringLiteral("10:08:00"));
    dialog.accept();
    ASSERT_EQ(dialog.times().size(), 1);
    EXPECT_EQ(formatClockTime(dialog.times().first()), QStringLiteral("10:08:00"));
    EXPECT_TRUE(messages.shown.isEmpty());

    // A time that cannot be valid is refused, not changed; the dialog stays open.
    StartTimesDialog again({ClockTime{22, 10, 10}});
    again.show();
    for (const QString& typed : {QStringLiteral("25:00:00"), QStringLiteral("10:61:00"),
                                 QStringLiteral("10:08:60"), QStringLiteral("1008")}) {
        again.singleTime()->selectAll();
        QTest::keyClicks(again.singleTime(), typed);
        again.accept();
        EXPECT_EQ(again.result(), QDialog::Rejected) << typed.toStdString();
        EXPECT_EQ(again.singleTime()->text(), typed);
        EXPECT_EQ(again.singleTime()->selectedText(), typed);
        EXPECT_TRUE(messages.last().startsWith(QStringLiteral("时间无效：") + typed));
    }
    EXPECT_EQ(messages.shown.last().icon, MessageIcon::Warning);
    // "添加" in the list's half refuses the same way.
    again.multipleRadio()->setChecked(true);
    again.addTime()->setText(QStringLiteral("24:00:00"));
    again.button(QStringLiteral("添加"))->click();
    EXPECT_EQ(again.list()->count(), 0);
    again.addTime()->setText(QStringLiteral("7:05"));
    again.button(QStringLiteral("添加"))->click();
    ASSERT_EQ(again.list()->count(), 1);
    EXPECT_EQ(again.list()->item(0)->text(), QStringLiteral("07:05:00"));
}
