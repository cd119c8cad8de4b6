#include <gtest/gtest.h>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "helpers/alarm_harness.h"
#include "helpers/ui_helpers.h"
#include "ui/immediate/announcement_dialog.h"

// "喊话…" offscreen: the zones ticked are where it is heard; closing the dialog ends it. The
// sound itself is only recorded; the level meter's input names no device.

TEST(AnnouncementDialog, TheTickedZonesAreHeardAndClosingEndsIt) {
    AlarmHarness h;
    LiveRoute route;
    AnnouncementDialog dialog(
        h.announcement, route,
        {{QStringLiteral("USB 话筒"), QStringLiteral("kb_no_such_input")},
         {QStringLiteral("Monitor of KB-Hall"), QStringLiteral("kb_hall.monitor"), true}});
    dialog.show();
    EXPECT_EQ(dialog.inputList()->currentText(), QStringLiteral("USB 话筒"));
    // The input that is not there says so where the level would show.
    EXPECT_FALSE(dialog.stateLabel()->text().isEmpty());
    QStringList zones;
    for (QCheckBox* box : dialog.zoneBoxes()) {
        zones.append(box->text());
        EXPECT_TRUE(box->isChecked());
    }
    EXPECT_EQ(zones, (QStringList{QStringLiteral("总输出"), QStringLiteral("教学楼"),
                                  QStringLiteral("宿舍")}));

    for (QCheckBox* box : dialog.zoneBoxes()) {
        box->setChecked(false);
    }
    QTest::mouseClick(dialog.startButton(), Qt::LeftButton);
    EXPECT_EQ(h.messages.texts(), QStringList{QStringLiteral("请选择喊话区域     \n")});
    EXPECT_FALSE(h.announcement.isActive());

    dialog.zoneBoxes()[1]->setChecked(true);
    QTest::mouseClick(dialog.startButton(), Qt::LeftButton);
    ASSERT_TRUE(h.announcement.isActive());
    EXPECT_EQ(h.live.input, QStringLiteral("kb_no_such_input"));
    EXPECT_EQ(h.live.devices, QStringList{QStringLiteral("KB-Hall")});
    EXPECT_EQ(dialog.stateLabel()->text(), QStringLiteral("喊话中…"));
    EXPECT_FALSE(dialog.startButton()->isEnabled());
    EXPECT_FALSE(dialog.zoneBoxes()[2]->isEnabled());
    QTest::mouseClick(dialog.endButton(), Qt::LeftButton);
    EXPECT_FALSE(h.announcement.isActive());
    EXPECT_TRUE(dialog.startButton()->isEnabled());

    QTest::mouseClick(dialog.startButton(), Qt::LeftButton);
    EXPECT_TRUE(h.live.live);
    dialog.reject();
    EXPECT_FALSE(h.announcement.isActive());
    EXPECT_FALSE(h.live.live);
    EXPECT_EQ(h.timed.log.texts(),
              (QStringList{QStringLiteral("喊话 ◆ 开始 ◆ 教学楼"), QStringLiteral("喊话 ◆ 结束"),
                           QStringLiteral("喊话 ◆ 开始 ◆ 教学楼"), QStringLiteral("喊话 ◆ 结束")}));
}
