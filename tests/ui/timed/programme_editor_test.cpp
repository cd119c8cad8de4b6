#include <gtest/gtest.h>
#include <QCheckBox>
#include <QDateEdit>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimeEdit>

#include "ui/timed/time_field.h"

#include "ui/timed/batch_times_dialog.h"
#include "ui/timed/date_range_dialog.h"
#include "ui/timed/days_dialog.h"
#include "ui/timed/page_fixture.h"
#include "ui/timed/programme_editor.h"
#include "ui/timed/start_times_dialog.h"

namespace {

struct EditorFixture : PageFixture {
    std::unique_ptr<ProgrammeEditor> open(int index) {
        auto editor =
            std::make_unique<ProgrammeEditor>(harness.programmeList, index, &harness.runs, paths);
        editor->show();
        return editor;
    }
    // A new programme that passes every check.
    std::unique_ptr<ProgrammeEditor> valid(const QString& name) {
        auto editor = open(-1);
        child<QLineEdit>(editor, "nameEdit")->setText(name);
        child<QLineEdit>(editor, "filePathEdit")
            ->setText(harness.musicFile(QStringLiteral("ok.mp3")));
        return editor;
    }
};

void expectEditorRefused(ProgrammeEditor& editor, RecordedMessages& messages, const QString& text,
                         QLineEdit* field) {
    editor.accept();
    EXPECT_EQ(messages.last(), text);
    EXPECT_EQ(editor.result(), QDialog::Rejected) << "stays open";
    EXPECT_TRUE(editor.isVisible());
    EXPECT_EQ(editor.focusWidget(), field);
    EXPECT_EQ(field->selectedText(), field->text());
}

}  // namespace

TEST(ProgrammeEditor, NamesAreTrimmedAndUniqueIgnoringCase) {
    EditorFixture f;
    f.add(QStringLiteral("Morning Bell"));
    auto blank = f.valid(QStringLiteral("\u3000 \u3000"));
    expectEditorRefused(*blank, f.messages, QStringLiteral("请输入节目名称"),
                        child<QLineEdit>(blank, "nameEdit"));
    EXPECT_EQ(f.messages.shown.last().icon, MessageIcon::Information);
    auto twin = f.valid(QStringLiteral(" morning bell "));
    expectEditorRefused(*twin, f.messages, QStringLiteral("该节目已存在"),
                        child<QLineEdit>(twin, "nameEdit"));
    EXPECT_EQ(f.messages.shown.last().icon, MessageIcon::Warning);
    auto same = f.open(0);
    EXPECT_EQ(child<QPushButton>(same, "okButton")->text(), QStringLiteral("修改节目"));
    same->accept();
    EXPECT_EQ(same->result(), QDialog::Accepted) << "keeping its own name";
}

TEST(ProgrammeEditor, VolumeMustBeACanonicalNumberFrom25To100) {
    EditorFixture f;
    for (const char* bad : {"080", "8 0", "24", "101", ""}) {
        auto editor = f.valid(QStringLiteral("v"));
        child<QLineEdit>(editor, "volumeEdit")->setText(QString::fromLatin1(bad));
        expectEditorRefused(*editor, f.messages, QStringLiteral("音量输入无效"),
                            child<QLineEdit>(editor, "volumeEdit"));
    }
    auto editor = f.valid(QStringLiteral("v"));
    child<QLineEdit>(editor, "volumeEdit")->setText(QStringLiteral("80"));
    editor->accept();
    EXPECT_EQ(editor->result(), QDialog::Accepted);
    EXPECT_EQ(f.harness.table.at(0).volume, 80);
}

TEST(ProgrammeEditor, FolderPathsKeepTrailingBlanksFilePathsDoNot) {
    EditorFixture f;
    const QString folder = f.harness.folder.file(QStringLiteral("music  "));
    QDir().mkpath(folder);
    auto editor = f.valid(QStringLiteral("folder"));
    child<QRadioButton>(editor, "folderRadio")->click();
    EXPECT_FALSE(child<QLineEdit>(editor, "filePathEdit")->isEnabled());
    EXPECT_TRUE(child<QRadioButton>(editor, "sequentialRadio")->isEnabled());
    child<QLineEdit>(editor, "folderPathEdit")->setText(QStringLiteral("  ") + folder);
    editor->accept();
    ASSERT_EQ(editor->result(), QDialog::Accepted) << f.messages.last().toStdString();
    EXPECT_EQ(programmePath(f.harness.table.at(0)), folder);
    EXPECT_EQ(f.harness.table.at(0).singleFile, 0u);

    auto missing = f.valid(QStringLiteral("missing"));
    child<QLineEdit>(missing, "filePathEdit")
        ->setText(f.harness.folder.file(QStringLiteral("none.mp3")));
    expectEditorRefused(*missing, f.messages, QStringLiteral("音乐文件不存在"),
                        child<QLineEdit>(missing, "filePathEdit"));
    auto empty = f.valid(QStringLiteral("empty"));
    child<QRadioButton>(empty, "folderRadio")->click();
    expectEditorRefused(*empty, f.messages, QStringLiteral("请选取音乐文件夹"),
                        child<QLineEdit>(empty, "folderPathEdit"));
}

TEST(ProgrammeEditor, CountsNeedAtLeastOneAndTheOtherBoxIsKeptAsItReads) {
    EditorFixture f;
    auto editor = f.valid(QStringLiteral("c"));
    child<QLineEdit>(editor, "tracksEdit")->setText(QStringLiteral("0"));
    expectEditorRefused(*editor, f.messages, QStringLiteral("播 n 首，输入无效"),
                        child<QLineEdit>(editor, "tracksEdit"));
    child<QRadioButton>(editor, "secondsRadio")->click();
    EXPECT_FALSE(child<QLineEdit>(editor, "tracksEdit")->isEnabled());
    child<QLineEdit>(editor, "secondsEdit")->setText(QStringLiteral("+5"));
    expectEditorRefused(*editor, f.messages, QStringLiteral("播 n 秒，输入无效"),
                        child<QLineEdit>(editor, "secondsEdit"));
    child<QLineEdit>(editor, "secondsEdit")->setText(QStringLiteral("90"));
    child<QLineEdit>(editor, "tracksEdit")->setText(QStringLiteral("abc"));
    editor->accept();
    ASSERT_EQ(editor->result(), QDialog::Accepted);
    EXPECT_EQ(f.harness.table.at(0).secondsCount, 90);
    EXPECT_EQ(f.harness.table.at(0).trackCount, 0);
    EXPECT_EQ(f.harness.table.at(0).countByTracks, 0u);
}

TEST(ProgrammeEditor, StartTimesTextAndItsDialog) {
    EditorFixture f;
    auto editor = f.valid(QStringLiteral("bells"));
    EXPECT_EQ(child<QLineEdit>(editor, "startTimesEdit")->text(),
              QStringLiteral("22:10:10,    (可多个:打铃)"));
    QList<ClockTime> seven;
    for (int i = 0; i < 7; ++i) {
        seven.append(ClockTime{8 + i, 0, 0});
    }
    editor->setStartTimes(seven);
    EXPECT_EQ(child<QLineEdit>(editor, "startTimesEdit")->text(),
              QStringLiteral("08:00:00,  09:00:00,  10:00:00,  11:00:00,  12:00:00,  ..."));

    StartTimesDialog dialog(seven);
    EXPECT_TRUE(dialog.multipleRadio()->isChecked());
    EXPECT_FALSE(dialog.singleTime()->isEnabled());
    dialog.addTime()->setTime(QTime(9, 0, 0));
    dialog.button(QStringLiteral("添加"))->click();
    EXPECT_EQ(f.messages.last(), QStringLiteral("该时间点已存在"));
    EXPECT_EQ(dialog.list()->selectedItems().size(), 1);
    for (int i = 0; dialog.list()->count() < 513; ++i) {
        dialog.list()->addItem(
            QString::asprintf("%02d:%02d:%02d", 16 + i / 3600, i / 60 % 60, i % 60));
    }
    dialog.accept();
    EXPECT_EQ(f.messages.last(), QStringLiteral("最多 512 个时间点，现已超出"));
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    delete dialog.list()->takeItem(0);
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.times().size(), 512);
    EXPECT_EQ(dialog.times().first(), (ClockTime{9, 0, 0}));

    StartTimesDialog single(QList<ClockTime>{{7, 30, 0}});
    EXPECT_TRUE(single.singleRadio()->isChecked());
    EXPECT_FALSE(single.list()->isEnabled());
    EXPECT_FALSE(single.button(QStringLiteral("清空"))->isEnabled());
    single.accept();
    EXPECT_EQ(single.times(), QList<ClockTime>{(ClockTime{7, 30, 0})});
}

TEST(ProgrammeEditor, BatchGeneratesFromAndToInclusive) {
    RecordedMessages messages;
    auto generate = [&](const QString& interval) {
        BatchTimesDialog dialog;
        dialog.fromEdit()->setTime(QTime(8, 0, 0));
        dialog.toEdit()->setTime(QTime(8, 1, 0));
        dialog.intervalEdit()->setText(interval);
        dialog.accept();
        return dialog.result() == QDialog::Accepted ? dialog.times() : QList<ClockTime>{};
    };
    const QList<ClockTime> fifths = generate(QStringLiteral("0.2"));
    ASSERT_EQ(fifths.size(), 6);
    EXPECT_EQ(fifths[1], (ClockTime{8, 0, 12}));
    EXPECT_EQ(fifths.last(), (ClockTime{8, 1, 0}));
    const QList<ClockTime> quarters = generate(QStringLiteral("0.25"));
    ASSERT_EQ(quarters.size(), 5);
    EXPECT_EQ(quarters[1], (ClockTime{8, 0, 15}));
    EXPECT_EQ(generate(QStringLiteral("0.3")).value(1), (ClockTime{8, 0, 18}));
    for (const char* bad : {"0.255", "0.1", "1441"}) {
        EXPECT_TRUE(generate(QString::fromLatin1(bad)).isEmpty()) << bad;
        EXPECT_EQ(messages.last(), QStringLiteral("时间间隔无效"));
    }
    BatchTimesDialog backwards;
    backwards.fromEdit()->setTime(QTime(9, 0, 0));
    backwards.toEdit()->setTime(QTime(8, 0, 0));
    backwards.intervalEdit()->setText(QStringLiteral("1"));
    backwards.accept();
    EXPECT_EQ(messages.last(), QStringLiteral("时间范围无效"));
}

TEST(ProgrammeEditor, DateRangeAndDaysDialogs) {
    RecordedMessages messages;
    DateRangeDialog range(DateHourRange{2024, 5, 1, 8, 2024, 5, 1, 8});
    range.accept();
    EXPECT_EQ(messages.last(), QStringLiteral("要求：\n截止时间  >  起始时间"));
    EXPECT_EQ(range.result(), QDialog::Rejected);
    range.startHour()->setText(QStringLiteral("25"));
    range.accept();
    EXPECT_EQ(messages.last(), QStringLiteral("起始时间，输入无效"));
    range.startHour()->setText(QStringLiteral("8"));
    range.endDate()->setDate(QDate(2024, 4, 30));
    range.accept();
    EXPECT_EQ(messages.last(), QStringLiteral("要求：\n截止日期  ≥  起始日期"));
    range.endDate()->setDate(QDate(2024, 5, 2));
    range.endHour()->setText(QStringLiteral("0"));
    range.accept();
    ASSERT_EQ(range.result(), QDialog::Accepted);
    EXPECT_EQ(range.range(), (DateHourRange{2024, 5, 1, 8, 2024, 5, 2, 0}));

    DaysDialog::Days weekdays;
    for (int i = 0; i < 5; ++i) {
        weekdays.weekdays[i] = 1;
    }
    weekdays.monthDays[9] = 1;
    DaysDialog days(weekdays);
    EXPECT_FALSE(days.monthDayBox(0)->isEnabled());
    EXPECT_FALSE(days.monthDayBox(9)->isChecked());
    days.monthDayRadio()->click();
    days.accept();
    EXPECT_EQ(messages.last(), QStringLiteral("请指定几号"));
    days.monthDayBox(14)->click();
    days.accept();
    ASSERT_EQ(days.result(), QDialog::Accepted);
    EXPECT_FALSE(days.days().byWeekday);
    EXPECT_EQ(days.days().monthDays[14], 1);
    EXPECT_EQ(days.days().weekdays[0], 1) << "the other side keeps its flags";
}

TEST(ProgrammeEditor, EditingAPlayingProgrammeAsksFirst) {
    EditorFixture f;
    f.add(QStringLiteral("Bell"));
    f.harness.dispatcher.manualPlay(0, 1);
    f.harness.tick();
    auto editor = f.open(0);
    child<QLineEdit>(editor, "volumeEdit")->setText(QStringLiteral("30"));
    f.messages.answers = {false};
    editor->accept();
    EXPECT_EQ(f.messages.last(),
              QStringLiteral("该节目正在播放，终止后才可修改 !\n\n是否终止播放 ？"));
    EXPECT_EQ(f.messages.shown.last().icon, MessageIcon::Warning);
    EXPECT_EQ(editor->result(), QDialog::Rejected);
    EXPECT_EQ(f.harness.table.at(0).volume, 80);
    EXPECT_EQ(f.harness.runs.runs().size(), 1u);

    child<QLineEdit>(editor, "nameEdit")->setText(QStringLiteral("Bell 2"));
    f.messages.answers = {true};
    editor->accept();
    EXPECT_EQ(f.messages.last(),
              QStringLiteral("该节目正在播放：\nBell\n\n终止后才可改名，是否终止播放？"));
    EXPECT_EQ(editor->result(), QDialog::Accepted);
    EXPECT_EQ(f.harness.log.texts().last(),
              QStringLiteral("Bell(手动) ◆ 终止播放... ◆ 用户终止播放"));
    EXPECT_TRUE(f.harness.runs.isEmpty());
    EXPECT_EQ(f.harness.table.at(0).volume, 30);
    EXPECT_EQ(programmeName(f.harness.table.at(0)), QStringLiteral("Bell 2"));
}

TEST(ProgrammeEditor, DaysMustBeChosenAndEverythingIsStored) {
    EditorFixture f;
    auto editor = f.valid(QStringLiteral("stored"));
    DaysDialog::Days none;
    none.byWeekday = false;
    editor->setDays(none);
    expectEditorRefused(*editor, f.messages, QStringLiteral("请指定周几或几号"),
                        child<QLineEdit>(editor, "daysEdit"));
    DaysDialog::Days fridays;
    fridays.weekdays[4] = 1;
    editor->setDays(fridays);
    editor->setDateRange(DateHourRange{2026, 9, 1, 7, 2027, 1, 20, 18});
    child<QRadioButton>(editor, "mayDelayRadio")->click();
    child<QCheckBox>(editor, "disabledCheck")->click();
    editor->accept();
    ASSERT_EQ(editor->result(), QDialog::Accepted);
    const Programme& p = f.harness.table.at(0);
    EXPECT_EQ(p.byWeekday, 1u);
    EXPECT_EQ(p.weekdays[4], 1);
    EXPECT_EQ(p.weekdays[0], 0);
    EXPECT_EQ(p.dateRange, (DateHourRange{2026, 9, 1, 7, 2027, 1, 20, 18}));
    EXPECT_EQ(p.queueWhenBusy, 1u);
    EXPECT_EQ(p.disabled, 1u);
    EXPECT_EQ(p.lastStartTime, neverDateTime());
}

TEST(ProgrammeEditor, LengthLabelShowsTheFilesLength) {
    EditorFixture f;
    const QString wav = f.harness.folder.file(QStringLiteral("chime.wav"));
    writeSilentWav(wav, 125'000);
    auto editor = f.open(-1);
    QLabel* length = child<QLabel>(editor, "lengthLabel");
    const int width = length->width();
    int probed = 0;
    QObject::connect(editor.get(), &ProgrammeEditor::lengthProbed, [&] { ++probed; });
    child<QLineEdit>(editor, "filePathEdit")->setText(wav + QStringLiteral("  "));
    ASSERT_TRUE(QTest::qWaitFor([&] { return probed == 1; }, 10000));
    EXPECT_EQ(length->text(), QStringLiteral("02:05"));
    child<QLineEdit>(editor, "filePathEdit")
        ->setText(f.harness.folder.file(QStringLiteral("none.wav")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return probed == 2; }, 10000));
    EXPECT_EQ(length->text(), QString()) << "nothing when the length is unknown";
    EXPECT_EQ(length->width(), width) << "the row does not move";

    // Typing over a path before its probe answers: only the last path's length is shown.
    child<QLineEdit>(editor, "filePathEdit")->setText(wav);
    child<QLineEdit>(editor, "filePathEdit")
        ->setText(f.harness.folder.file(QStringLiteral("none.wav")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return probed == 3; }, 10000));
    pumpEvents(500);
    EXPECT_EQ(probed, 3);
    EXPECT_EQ(length->text(), QString());
}
