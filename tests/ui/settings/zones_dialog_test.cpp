#include <gtest/gtest.h>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTreeView>

#include "audio/gst_support.h"
#include "audio/output_devices.h"
#include "audio/test_chime.h"
#include "helpers/sink_recorder.h"
#include "ui/settings/settings_fixture.h"
#include "ui/settings/zone_dialog.h"
#include "ui/settings/zones_dialog.h"

namespace {

// The settings page with the test sound server's outputs listed; "分区…" opened by the test.
class ZonesDialogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(initAudioEngine());
        QElapsedTimer timer;
        timer.start();
        while (!OutputDevices::instance().names().contains(QStringLiteral("KB-Hall")) &&
               timer.elapsed() < 5000) {
            pumpEvents(20);
        }
        ASSERT_TRUE(OutputDevices::instance().names().contains(QStringLiteral("KB-Hall")))
            << "needs the test sound server (scripts/with-test-services.sh)";
    }

    // Opens "分区…" and runs the steps in the zones dialog, which then closes.
    void inZonesDialog(const std::function<void(ZonesDialog&)>& steps) {
        whenModal([&](QWidget* modal) {
            auto* dialog = qobject_cast<ZonesDialog*>(modal);
            ASSERT_NE(dialog, nullptr);
            steps(*dialog);
            buttonOf(dialog, QStringLiteral("关闭"))->click();
        });
        f.page->editZones();
    }
    // Presses the button; the zone dialog that opens gets the name and the output typed and
    // chosen, then "确定". What it then shows is left in `refused` when it stays open.
    void fillZone(ZonesDialog& zones, const QString& button, const QString& name,
                  const QString& device) {
        whenModal([&](QWidget* modal) {
            auto* dialog = qobject_cast<ZoneDialog*>(modal);
            ASSERT_NE(dialog, nullptr);
            dialog->nameEdit()->setText(name);
            dialog->deviceList()->setCurrentIndex(dialog->deviceList()->findText(device));
            const int before = static_cast<int>(f.messages.shown.size());
            buttonOf(dialog, QStringLiteral("确定"))->click();
            refused.clear();
            if (dialog->isVisible()) {
                refused =
                    f.messages.shown.size() > before ? f.messages.last() : QStringLiteral("?");
                focus = dialog->focusWidget() == dialog->nameEdit()     ? QStringLiteral("name")
                        : dialog->focusWidget() == dialog->deviceList() ? QStringLiteral("device")
                                                                        : QString();
                dialog->reject();
            }
        });
        buttonOf(&zones, button)->click();
    }
    void select(ZonesDialog& zones, int row) {
        zones.list()->setCurrentIndex(zones.list()->model()->index(row, 0));
    }
    QStringList rows(ZonesDialog& zones) {
        QStringList result;
        QAbstractItemModel* model = zones.list()->model();
        for (int row = 0; row < model->rowCount(); ++row) {
            result.append(model->index(row, 0).data().toString() + u'|' +
                          model->index(row, 1).data().toString());
        }
        return result;
    }

    SettingsFixture f;
    QString refused;
    QString focus;
};

}  // namespace

TEST_F(ZonesDialogTest, ZonesAreAddedAndSavedAndTheChecksRefuseWithTheFieldInFocus) {
    EXPECT_EQ(f.page->zonesText()->text(), QStringLiteral("无 (都在总输出设备上播放)"));
    struct Refusal {
        QString name;
        QString device;
        QString message;
        QString field;
    };
    const Refusal refusals[] = {
        {QStringLiteral("  "), QStringLiteral("KB-Hall"), QStringLiteral("分区名称不能为空"),
         QStringLiteral("name")},
        {QStringLiteral("teaching"), QStringLiteral("KB-Speakers"),
         QStringLiteral("分区名称重复：teaching"), QStringLiteral("name")},
        {QStringLiteral("宿舍"), QString(), QStringLiteral("请选取音频设备     \n"),
         QStringLiteral("device")},
    };
    inZonesDialog([&](ZonesDialog& zones) {
        fillZone(zones, QStringLiteral("添加…"), QStringLiteral("Teaching"),
                 QStringLiteral("KB-Hall"));
        fillZone(zones, QStringLiteral("添加…"), QStringLiteral("宿舍"),
                 QStringLiteral("KB-Speakers"));
        EXPECT_EQ(rows(zones), (QStringList{QStringLiteral("Teaching|KB-Hall"),
                                            QStringLiteral("宿舍|KB-Speakers")}));
        for (const Refusal& r : refusals) {
            fillZone(zones, QStringLiteral("添加…"), r.name, r.device);
            EXPECT_EQ(refused, r.message) << r.name.toStdString();
            EXPECT_EQ(focus, r.field) << r.name.toStdString();
        }
        EXPECT_EQ(rows(zones).size(), 2) << "nothing refused was added";
    });
    const ZoneSetup saved = f.zones.saved();
    ASSERT_EQ(saved.zones.size(), 2u);
    EXPECT_EQ(saved.zones[0].name, QStringLiteral("Teaching"));
    EXPECT_EQ(saved.zones[0].device, QStringLiteral("KB-Hall"));
    EXPECT_EQ(saved.zones[1].device, QStringLiteral("KB-Speakers"));
    EXPECT_EQ(f.page->zonesText()->text(), QStringLiteral("Teaching、宿舍"));

    // The seventeenth is refused before any dialog opens.
    ZoneSetup full;
    for (int i = 0; i < kMaxZones; ++i) {
        full.zones.push_back({QStringLiteral("区%1").arg(i), QStringLiteral("KB-Hall")});
    }
    QString message;
    ASSERT_TRUE(f.zones.change()(full, message));
    inZonesDialog([&](ZonesDialog& zones) {
        buttonOf(&zones, QStringLiteral("添加…"))->click();
        EXPECT_EQ(f.messages.last(), QStringLiteral("最多 16 个分区"));
    });
    EXPECT_EQ(f.zones.saved().zones.size(), static_cast<size_t>(kMaxZones));
}

TEST_F(ZonesDialogTest, ARenamedZoneKeepsItsProgrammesAndADeletedOneReleasesThem) {
    ZoneSetup start;
    start.zones = {{QStringLiteral("教学楼"), QStringLiteral("KB-Hall")},
                   {QStringLiteral("宿舍"), QStringLiteral("KB-Speakers")}};
    start.setZonesOf(QStringLiteral("上课铃"), {QStringLiteral("教学楼")});
    start.setZonesOf(QStringLiteral("早操"), {QStringLiteral("教学楼"), QStringLiteral("宿舍")});
    start.immediate = {QStringLiteral("教学楼")};
    QString message;
    ASSERT_TRUE(f.zones.change()(start, message));
    f.messages.answers = {true};
    inZonesDialog([&](ZonesDialog& zones) {
        select(zones, 0);
        fillZone(zones, QStringLiteral("修改…"), QStringLiteral("主楼"), QStringLiteral("KB-Hall"));
        EXPECT_TRUE(refused.isEmpty()) << refused.toStdString();
        ZoneSetup saved = f.zones.saved();
        EXPECT_EQ(saved.zonesOf(QStringLiteral("上课铃")), QStringList{QStringLiteral("主楼")});
        EXPECT_EQ(saved.zonesOf(QStringLiteral("早操")),
                  (QStringList{QStringLiteral("主楼"), QStringLiteral("宿舍")}));
        EXPECT_EQ(saved.immediate, QStringList{QStringLiteral("主楼")});

        select(zones, 0);
        buttonOf(&zones, QStringLiteral("删除"))->click();
        EXPECT_EQ(
            f.messages.last(),
            QStringLiteral("确定删除分区 主楼？\n\n这些节目不再在该分区播放：\n上课铃、早操"));
        saved = f.zones.saved();
        EXPECT_EQ(rows(zones), QStringList{QStringLiteral("宿舍|KB-Speakers")});
        EXPECT_TRUE(saved.zonesOf(QStringLiteral("上课铃")).isEmpty()) << "the program-wide output";
        EXPECT_EQ(saved.zonesOf(QStringLiteral("早操")), QStringList{QStringLiteral("宿舍")});
        EXPECT_TRUE(saved.immediate.isEmpty());
    });
}

TEST_F(ZonesDialogTest, TheChimeSoundsOnTheOutputChosenForTheZone) {
    SinkRecorder speakers(QStringLiteral("kb_speakers"));
    SinkRecorder hall(QStringLiteral("kb_hall"));
    ASSERT_TRUE(speakers.start() && hall.start());
    qint64 pressed = 0;
    inZonesDialog([&](ZonesDialog& zones) {
        whenModal([&](QWidget* modal) {
            auto* dialog = qobject_cast<ZoneDialog*>(modal);
            ASSERT_NE(dialog, nullptr);
            dialog->deviceList()->setCurrentIndex(
                dialog->deviceList()->findText(QStringLiteral("KB-Hall")));
            pressed = monotonicNs();
            buttonOf(dialog, QStringLiteral("试听"))->click();
            EXPECT_TRUE(dialog->chime().isSounding());
            pumpEvents(TestChime::durationMs() + 600);
            dialog->reject();
        });
        buttonOf(&zones, QStringLiteral("添加…"))->click();
    });
    const qint64 heard = hall.firstSoundNs(pressed);
    ASSERT_GT(heard, 0);
    EXPECT_GT(hall.levelDb(heard, heard + 400'000'000), -40.0);
    EXPECT_LT(speakers.levelDb(pressed, monotonicNs()), -80.0);
    EXPECT_EQ(f.zones.saves, 0) << "only listened";
}
