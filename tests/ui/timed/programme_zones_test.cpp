#include <gtest/gtest.h>
#include <QCheckBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>

#include "ui/timed/page_fixture.h"
#include "ui/timed/programme_editor.h"
#include "ui/widgets/zone_checks.h"

namespace {

// The timed-play page with the school's zones in place (as the program loads them).
struct ZonedPage : PageFixture {
    ZonedPage() {
        ZoneSetup school;
        school.zones = {{QStringLiteral("教学楼"), QStringLiteral("KB-Hall")},
                        {QStringLiteral("宿舍"), QStringLiteral("KB-Speakers")}};
        school.setZonesOf(QStringLiteral("早操"), {QStringLiteral("教学楼")});
        QString message;
        EXPECT_TRUE(zones.change()(school, message));
        add(QStringLiteral("早操"));
        add(QStringLiteral("上课铃"));
    }
    QCheckBox* box(ProgrammeEditor* editor, const QString& zone) {
        for (QCheckBox* b : editor->zoneChecks()->boxes()) {
            if (b->text() == zone) {
                return b;
            }
        }
        ADD_FAILURE() << "no box " << zone.toStdString();
        return nullptr;
    }
    QString zonesCell(int row) const { return cell(row, ProgrammeListModel::Zones); }
};

}  // namespace

TEST(ProgrammeZones, TheZonesColumnAndTheEditorRowComeAndGoWithTheZones) {
    PageFixture f;
    f.add(QStringLiteral("早操"));
    EXPECT_EQ(f.harness.programmeList.columnCount(), static_cast<int>(ProgrammeListModel::Zones));
    f.select({0});
    bool noRow = false;
    whenModal([&](QWidget* dialog) {
        noRow = qobject_cast<ProgrammeEditor*>(dialog)->zoneChecks() == nullptr;
        static_cast<QDialog*>(dialog)->reject();
    });
    f.page->modifyProgramme();
    EXPECT_TRUE(noRow) << "one output, as always";

    ZoneSetup school;
    school.zones = {{QStringLiteral("教学楼"), QStringLiteral("KB-Hall")}};
    school.setZonesOf(QStringLiteral("早操"), {QStringLiteral("教学楼")});
    QString message;
    ASSERT_TRUE(f.zones.change()(school, message));
    ASSERT_EQ(f.harness.programmeList.columnCount(), static_cast<int>(ProgrammeListModel::Columns));
    EXPECT_EQ(f.harness.programmeList.headerData(ProgrammeListModel::Zones, Qt::Horizontal),
              QStringLiteral("分区"));
    EXPECT_EQ(f.cell(0, ProgrammeListModel::Zones), QStringLiteral("教学楼"));
    EXPECT_GT(f.page->programmeList()->header()->sectionSize(ProgrammeListModel::Zones), 50);

    ASSERT_TRUE(f.zones.change()(ZoneSetup{}, message));
    EXPECT_EQ(f.harness.programmeList.columnCount(), static_cast<int>(ProgrammeListModel::Zones));
}

TEST(ProgrammeZones, TheEditorsTicksAreSavedWithTheProgrammeAndFollowARename) {
    ZonedPage f;
    EXPECT_EQ(f.zonesCell(0), QStringLiteral("教学楼"));
    EXPECT_EQ(f.zonesCell(1), QString()) << "the program-wide output";
    f.select({0});
    whenModal([&](QWidget* dialog) {
        auto* editor = qobject_cast<ProgrammeEditor*>(dialog);
        ASSERT_NE(editor->zoneChecks(), nullptr);
        EXPECT_TRUE(f.box(editor, QStringLiteral("教学楼"))->isChecked());
        EXPECT_FALSE(f.box(editor, QStringLiteral("宿舍"))->isChecked());
        f.box(editor, QStringLiteral("宿舍"))->click();
        child<QLineEdit>(editor, "nameEdit")->setText(QStringLiteral("早操与广播体操"));
        child<QPushButton>(editor, "okButton")->click();
    });
    f.page->modifyProgramme();
    ZoneSetup saved = f.zones.saved();
    EXPECT_EQ(saved.zonesOf(QStringLiteral("早操与广播体操")),
              (QStringList{QStringLiteral("教学楼"), QStringLiteral("宿舍")}));
    EXPECT_TRUE(saved.zonesOf(QStringLiteral("早操")).isEmpty()) << "the old name is gone";
    EXPECT_EQ(f.zonesCell(0), QStringLiteral("教学楼、宿舍"));

    // Unticking every box puts it back on the program-wide output.
    f.select({0});
    whenModal([&](QWidget* dialog) {
        auto* editor = qobject_cast<ProgrammeEditor*>(dialog);
        f.box(editor, QStringLiteral("教学楼"))->click();
        f.box(editor, QStringLiteral("宿舍"))->click();
        child<QPushButton>(editor, "okButton")->click();
    });
    f.page->modifyProgramme();
    EXPECT_TRUE(f.zones.saved().programmes.isEmpty());
    EXPECT_EQ(f.zonesCell(0), QString());
}

TEST(ProgrammeZones, ANewProgrammeTakesItsTicksAndADeletedOneDropsThem) {
    ZonedPage f;
    whenModal([&](QWidget* dialog) {
        auto* editor = qobject_cast<ProgrammeEditor*>(dialog);
        EXPECT_FALSE(f.box(editor, QStringLiteral("宿舍"))->isChecked());
        child<QLineEdit>(editor, "nameEdit")->setText(QStringLiteral("起床铃"));
        child<QLineEdit>(editor, "filePathEdit")
            ->setText(f.harness.musicFile(QStringLiteral("wake.mp3")));
        f.box(editor, QStringLiteral("宿舍"))->click();
        child<QPushButton>(editor, "okButton")->click();
    });
    f.page->addProgramme();
    ASSERT_EQ(f.harness.table.size(), 3);
    EXPECT_EQ(f.zones.saved().zonesOf(QStringLiteral("起床铃")),
              QStringList{QStringLiteral("宿舍")});
    EXPECT_EQ(f.zonesCell(2), QStringLiteral("宿舍"));

    const int saves = f.zones.saves;
    f.select({1});
    f.messages.answers = {true};
    f.page->deleteProgrammes();
    EXPECT_EQ(f.zones.saves, saves) << "上课铃 had no zones: nothing to write";
    f.select({0, 1});
    f.messages.answers = {true};
    f.page->deleteProgrammes();
    EXPECT_TRUE(f.zones.saved().programmes.isEmpty());
    EXPECT_EQ(f.zones.saved().zones.size(), 2u) << "the zones stay";
}
