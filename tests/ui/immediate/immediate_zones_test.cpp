#include <gtest/gtest.h>
#include <QCheckBox>
#include <QPushButton>

#include "ui/immediate/page_fixture.h"
#include "ui/immediate/play_zones_dialog.h"
#include "ui/widgets/hyper_link.h"
#include "ui/widgets/zone_checks.h"

namespace {

void pressLabelled(QWidget* dialog, const QString& text) {
    for (QPushButton* button : dialog->findChildren<QPushButton*>()) {
        if (button->text() == text) {
            button->click();
            return;
        }
    }
    ADD_FAILURE() << "no button " << text.toStdString();
}

}  // namespace

TEST(ImmediateZones, WhereImmediatePlaySoundsIsChosenOnThePageAndSavedInTheZoneFile) {
    ImmediatePageFixture f;
    RecordedMessages messages;
    EXPECT_TRUE(f.page->zonesLink()->isHidden()) << "no zones, no choice";

    ZoneSetup school;
    school.zones = {{QStringLiteral("教学楼"), QStringLiteral("KB-Hall")},
                    {QStringLiteral("宿舍"), QStringLiteral("KB-Speakers")}};
    QString message;
    ASSERT_TRUE(f.zones.change()(school, message));
    EXPECT_FALSE(f.page->zonesLink()->isHidden());
    EXPECT_EQ(f.page->zonesLink()->text(), QStringLiteral("播放分区: 总输出设备 …"));

    whenModal([](QWidget* modal) {
        auto* dialog = qobject_cast<PlayZonesDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        for (QCheckBox* box : dialog->checks()->boxes()) {
            EXPECT_FALSE(box->isChecked());
            if (box->text() == QStringLiteral("教学楼")) {
                box->click();
            }
        }
        pressLabelled(dialog, QStringLiteral("确定"));
    });
    f.page->chooseZones();
    EXPECT_EQ(f.zones.saved().immediate, QStringList{QStringLiteral("教学楼")});
    EXPECT_EQ(f.page->zonesLink()->text(), QStringLiteral("播放分区: 教学楼 …"));

    // Cancelled: nothing written.
    const int saves = f.zones.saves;
    whenModal([](QWidget* modal) { pressLabelled(modal, QStringLiteral("取消")); });
    f.page->chooseZones();
    EXPECT_EQ(f.zones.saves, saves);
    EXPECT_TRUE(messages.shown.isEmpty());
}
