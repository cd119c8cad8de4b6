#include <gtest/gtest.h>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QTest>

#include "core/timed/today_model.h"
#include "helpers/engine_harness.h"
#include "helpers/holiday_builders.h"
#include "helpers/ui_helpers.h"
#include "ui/timed/timed_page.h"
#include "ui/timed/week_dialog.h"
#include "ui/timed/week_view.h"
#include "ui/widgets/hyper_link.h"

namespace {

// The timed-play page with the week at a glance, on Wednesday 2024-05-15.
struct WeekFixture {
    WeekFixture() : paths(AppPaths::forFolders(harness.folder.path(), harness.folder.path())) {
        paths.dpiScale = 1.0;
        page = std::make_unique<TimedPage>(TimedPage::Services{harness.programmeList, harness.runs,
                                                               harness.dispatcher, logRows, paths,
                                                               &harness.calendar, &harness.clock});
        harness.start(makeDateTime(2024, 5, 15, 8, 0, 0));
        page->setTodayModel(&today);
        page->resize(1100, 800);
        page->show();
    }
    WeekDialog* open() {
        HyperLink* link = child<HyperLink>(page, "weekLink");
        EXPECT_TRUE(link != nullptr && link->isVisible());
        if (link != nullptr) {
            QTest::mouseClick(link, Qt::LeftButton);
        }
        WeekDialog* dialog = page->weekDialog();
        EXPECT_TRUE(dialog != nullptr && dialog->isVisible());
        return dialog;
    }
    QString range(WeekDialog* dialog) const { return child<QLabel>(dialog, "weekRange")->text(); }

    RecordedMessages messages;
    EngineHarness harness;
    LogRowsModel logRows;
    AppPaths paths;
    RunWatch watch{harness.runs.nowPlaying()};
    // Found anew on every change of the timetable and the holidays, as the program does.
    TodayModel today{harness.table, harness.calendar, harness.clock, watch};
    std::unique_ptr<TimedPage> page;
};

void click(QWidget* dialog, const char* button) {
    QTest::mouseClick(child<QPushButton>(dialog, button), Qt::LeftButton);
}

}  // namespace

TEST(WeekDialog, OpensOnThisWeekMovesByWeeksAndFollowsTheTimetable) {
    WeekFixture f;
    f.harness.addProgramme(QStringLiteral("早操"), f.harness.musicFile(QStringLiteral("a.mp3")),
                           {{9, 0, 0}});
    WeekDialog* dialog = f.open();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(f.range(dialog), QStringLiteral("2024-05-13 (周一) ~ 2024-05-19 (周日)"));
    EXPECT_EQ(dialog->plan().startCount(), 7u);
    struct Step {
        const char* button;
        const char* range;
    };
    for (const Step& step : {Step{"nextWeek", "2024-05-20 (周一) ~ 2024-05-26 (周日)"},
                             Step{"previousWeek", "2024-05-13 (周一) ~ 2024-05-19 (周日)"},
                             Step{"previousWeek", "2024-05-06 (周一) ~ 2024-05-12 (周日)"},
                             Step{"thisWeek", "2024-05-13 (周一) ~ 2024-05-19 (周日)"}}) {
        click(dialog, step.button);
        EXPECT_EQ(f.range(dialog), QString::fromUtf8(step.range)) << step.button;
    }
    // A new programme shows, and so does a new holiday.
    f.harness.addProgramme(QStringLiteral("放学"), f.harness.musicFile(QStringLiteral("b.mp3")),
                           {{16, 30, 0}});
    QTRY_COMPARE(dialog->plan().startCount(), 14u);
    f.harness.calendar.holidays.push_back(
        makeHoliday(QStringLiteral("校庆"), DateHourRange{2024, 5, 17, 0, 2024, 5, 17, 24}));
    f.today.rebuild();
    QTRY_COMPARE(dialog->plan().startCount(), 12u);
    EXPECT_TRUE(dialog->plan().days[4].blocks.empty());
    EXPECT_EQ(dialog->plan().days[4].holidays.at(0).name, QStringLiteral("校庆"));
    dialog->close();
}

TEST(WeekDialog, ClickingAStartOpensItsProgrammeInTheEditor) {
    WeekFixture f;
    f.harness.addProgramme(QStringLiteral("早操"), f.harness.musicFile(QStringLiteral("a.mp3")),
                           {{9, 0, 0}});
    f.harness.addProgramme(QStringLiteral("眼保健操"), f.harness.musicFile(QStringLiteral("b.mp3")),
                           {{10, 0, 0}});
    WeekDialog* dialog = f.open();
    ASSERT_NE(dialog, nullptr);
    WeekView* view = dialog->view();
    // Tuesday's second start.
    const QRectF block = view->chart().blockRect(1, 1);
    ASSERT_TRUE(view->viewport()->rect().contains(block.center().toPoint()));
    QString edited;
    whenModal([&edited](QWidget* modal) {
        edited = child<QLineEdit>(modal, "nameEdit")->text();
        static_cast<QDialog*>(modal)->reject();
    });
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, block.center().toPoint());
    EXPECT_EQ(edited, QStringLiteral("眼保健操"));
    EXPECT_TRUE(f.page->programmeList()->selectionModel()->isRowSelected(1));
    // Nothing happens beside the blocks.
    EXPECT_EQ(view->programmeAt(QPoint(view->chart().body().right() - 2,
                                       static_cast<int>(view->chart().body().bottom() - 2))),
              -1);
    dialog->close();
}

TEST(WeekDialog, PrintsOnA4LandscapeAndExportsThePdfWhereTheUserChose) {
    WeekFixture f;
    f.harness.addProgramme(QStringLiteral("早操"), f.harness.musicFile(QStringLiteral("a.mp3")),
                           {{9, 0, 0}});
    WeekDialog* dialog = f.open();
    ASSERT_NE(dialog, nullptr);

    QPageLayout layout;
    whenModal([&layout](QWidget* modal) {
        auto* print = qobject_cast<QPrintDialog*>(modal);
        ASSERT_NE(print, nullptr);
        layout = print->printer()->pageLayout();
        print->reject();
    });
    click(dialog, "printWeek");
    EXPECT_EQ(layout.orientation(), QPageLayout::Landscape);
    EXPECT_EQ(layout.pageSize().id(), QPageSize::A4);

    auto saveAs = [](const QString& path, QString* proposed) {
        whenModal([path, proposed](QWidget* modal) {
            auto* files = qobject_cast<QFileDialog*>(modal);
            ASSERT_NE(files, nullptr);
            *proposed = QFileInfo(files->selectedFiles().value(0)).fileName();
            files->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(path);
            static_cast<QDialog*>(files)->accept();
        });
    };
    const QString pdf = f.harness.folder.file(QStringLiteral("一周"));
    QString proposed;
    saveAs(pdf, &proposed);
    click(dialog, "exportWeek");
    EXPECT_EQ(proposed, QStringLiteral("一周概览 2024-05-13.pdf"));
    EXPECT_TRUE(readBytes(pdf + QStringLiteral(".pdf")).startsWith("%PDF"));
    EXPECT_EQ(child<QLabel>(dialog, "weekStatus")->text(),
              QStringLiteral("已导出：") + pdf + QStringLiteral(".pdf"));

    const QString nowhere = f.harness.folder.file(QStringLiteral("no/such/folder/w.pdf"));
    saveAs(nowhere, &proposed);
    click(dialog, "exportWeek");
    EXPECT_TRUE(f.messages.last().startsWith(QStringLiteral("导出 PDF 失败：\n") + nowhere))
        << f.messages.last().toStdString();
    EXPECT_TRUE(child<QLabel>(dialog, "weekStatus")->text().isEmpty());
    dialog->close();
}
