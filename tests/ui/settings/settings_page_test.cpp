#include <gtest/gtest.h>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QSlider>
#include <cstring>

#include "ui/settings/ducking_dialog.h"
#include "ui/settings/settings_fixture.h"

namespace {

const QString kWriteFailureHead =
    QStringLiteral("写自动启动设置失败：\n无法保存 \"开机自动启动\" 相关设置\n\n");
const QString kFailureTail = QStringLiteral(
    "\n\n\n常见原因 - 被杀毒类软件拦截\n( 卸载杀毒、卫士，再次尝试 )\n\n技术支持 - "
    "帮助栏里有联系方式");

void expectBoxes(const SettingsPage& page, bool on, bool minimised, bool locked) {
    EXPECT_EQ(page.autoStartBox()->isChecked(), on);
    EXPECT_EQ(page.minimisedBox()->isEnabled(), on);
    EXPECT_EQ(page.lockedBox()->isEnabled(), on);
    EXPECT_EQ(page.minimisedBox()->isChecked(), minimised);
    EXPECT_EQ(page.lockedBox()->isChecked(), locked);
}

// Writes the entry another program (or another copy) would have written.
void writeForeignEntry(const SettingsFixture& f, const QString& exec) {
    QDir().mkpath(f.autostartFolder());
    writeBytes(
        f.entryPath(),
        QStringLiteral("[Desktop Entry]\nType=Application\nName=x\nExec=%1\n").arg(exec).toUtf8());
}

// A read-only file system mounted over the autostart folder; gone with the object.
class ReadOnlyFolder {
  public:
    explicit ReadOnlyFolder(const QString& folder) : folder_(folder) {
        QDir().mkpath(folder);
        mounted_ = runShell(QStringLiteral("mount -t tmpfs -o ro,size=16k tmpfs '%1' 2>/dev/null")
                                .arg(folder)) == 0;
    }
    ~ReadOnlyFolder() {
        if (mounted_) {
            runShell(QStringLiteral("umount '%1'").arg(folder_));
        }
    }
    bool mounted() const { return mounted_; }

  private:
    QString folder_;
    bool mounted_ = false;
};

}  // namespace

TEST(SettingsStartWithLogon, TickingWritesTheEntryBothOptionsGiveThreeUntickingRemovesIt) {
    SettingsFixture f;
    f.page->loadData();
    expectBoxes(*f.page, false, false, false);
    f.page->autoStartBox()->click();
    EXPECT_EQ(f.exec(), u'"' + kTestProgram + u'"');
    expectBoxes(*f.page, true, false, false);
    f.page->minimisedBox()->click();
    EXPECT_EQ(f.exec(), u'"' + kTestProgram + QStringLiteral("\" 1"));
    f.page->lockedBox()->click();
    EXPECT_EQ(f.exec(), u'"' + kTestProgram + QStringLiteral("\" 3"));
    f.page->minimisedBox()->click();
    EXPECT_EQ(f.exec(), u'"' + kTestProgram + QStringLiteral("\" 2"));
    f.page->minimisedBox()->click();
    f.page->autoStartBox()->click();
    EXPECT_FALSE(QFile::exists(f.entryPath()));
    expectBoxes(*f.page, false, false, false);
    EXPECT_FALSE(f.page->autoStartOptions().minimised || f.page->autoStartOptions().locked);
    // Ticking the main box again starts without the options.
    f.page->autoStartBox()->click();
    EXPECT_EQ(f.exec(), u'"' + kTestProgram + u'"');
    EXPECT_TRUE(f.messages.shown.isEmpty()) << f.messages.last().toStdString();
}

TEST(SettingsStartWithLogon, TheLoadShowsOnlyThisProgramsEntry) {
    {
        SettingsFixture f;
        writeForeignEntry(f, u'"' + kTestProgram + QStringLiteral("\" 2"));
        f.page->loadData();
        expectBoxes(*f.page, true, false, true);
    }
    {
        SettingsFixture f;
        writeForeignEntry(f, QStringLiteral("\"/home/teacher/old/kelvora-broadcasting\" 3"));
        f.page->loadData();
        expectBoxes(*f.page, false, false, false);
    }
    {
        const QString blank = QStringLiteral("/opt/校园 广播/kelvora-broadcasting");
        SettingsFixture f(blank);
        writeForeignEntry(f, blank + QStringLiteral(" 3"));
        f.page->loadData();
        expectBoxes(*f.page, false, false, false);
        EXPECT_TRUE(f.messages.shown.isEmpty());
    }
}

TEST(SettingsStartWithLogon, FailuresAreShownAndTheBoxesKeepTheClicks) {
    if (!runningAsRoot()) {
        GTEST_SKIP() << "a read-only folder needs a read-only mount, which needs root";
    }
    SettingsFixture f;
    ReadOnlyFolder readOnly(f.autostartFolder());
    ASSERT_TRUE(readOnly.mounted());
    f.page->loadData();
    f.page->autoStartBox()->click();
    ASSERT_EQ(f.messages.shown.size(), 1);
    EXPECT_EQ(f.messages.last(),
              kWriteFailureHead + QString::fromLocal8Bit(strerror(EROFS)) + kFailureTail);
    EXPECT_EQ(f.messages.shown[0].icon, MessageIcon::Error);
    EXPECT_EQ(f.messages.shown[0].owner, f.page.get());
    f.page->lockedBox()->click();
    EXPECT_EQ(f.messages.shown.size(), 2);
    expectBoxes(*f.page, true, false, true);
    EXPECT_FALSE(QFile::exists(f.entryPath()));
}

TEST(SettingsStartWithLogon, AnUnreadableEntryIsShownAndLeavesTheOptionsOff) {
    SettingsFixture f;
    QDir().mkpath(f.entryPath());  // a folder where the entry should be
    f.page->loadData();
    ASSERT_EQ(f.messages.shown.size(), 1);
    EXPECT_TRUE(f.messages.last().startsWith(
        QStringLiteral("读自动启动设置失败：\n无法读取 \"开机自动启动\" 相关设置\n\n")));
    EXPECT_TRUE(f.messages.last().endsWith(kFailureTail));
    expectBoxes(*f.page, false, false, false);
}

TEST(SettingsDucking, DefaultsThenCancelChangesNothing) {
    SettingsFixture f;
    f.settings.duckPercent = 40;
    f.settings.duckFadeOutSeconds = 3;
    f.settings.duckFadeInSeconds = 12;
    whenModal([](QWidget* modal) {
        auto* dialog = qobject_cast<DuckingDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->windowTitle(), QStringLiteral("音量降低"));
        EXPECT_EQ(dialog->percentEdit()->text(), QStringLiteral("40"));
        buttonOf(dialog, QStringLiteral("恢复默认"))->click();
        EXPECT_EQ(dialog->percentEdit()->text(), QStringLiteral("60"));
        EXPECT_EQ(dialog->fadeOutSlider()->value(), 5);
        EXPECT_EQ(dialog->fadeInSlider()->value(), 9);
        buttonOf(dialog, QStringLiteral("取消"))->click();
    });
    f.page->changeDucking();
    EXPECT_EQ(f.settings.duckPercent, 40);
    EXPECT_EQ(f.settings.duckFadeOutSeconds, 3);
    EXPECT_EQ(f.settings.duckFadeInSeconds, 12);
    EXPECT_FALSE(QFile::exists(f.settingsPath()));
}

TEST(SettingsDucking, OutOfRangeIsRefusedAndAChangeIsStoredShownAndSaved) {
    SettingsFixture f;
    f.page->refresh();
    EXPECT_EQ(f.page->duckingText()->text(), QStringLiteral("立即播播出时, 定时播音量降低: 60%"));
    QStringList refusedWith;
    whenModal([&](QWidget* modal) {
        auto* dialog = qobject_cast<DuckingDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        for (const QString& bad :
             {QStringLiteral("24"), QStringLiteral("101"), QStringLiteral("")}) {
            dialog->percentEdit()->setText(bad);
            buttonOf(dialog, QStringLiteral("确定"))->click();
            EXPECT_TRUE(dialog->isVisible()) << "stays open after " << bad.toStdString();
            EXPECT_EQ(dialog->focusWidget(), dialog->percentEdit());
            EXPECT_EQ(dialog->percentEdit()->selectedText(), bad);
            refusedWith.append(f.messages.last());
        }
        dialog->percentEdit()->setText(QStringLiteral("100"));
        dialog->fadeInSlider()->setValue(16);
        buttonOf(dialog, QStringLiteral("确定"))->click();
    });
    f.page->changeDucking();
    EXPECT_EQ(refusedWith, QStringList(3, QStringLiteral("音量降低百分比，输入无效")));
    EXPECT_EQ(f.messages.shown[0].icon, MessageIcon::Warning);
    EXPECT_EQ(f.settings.duckPercent, 100);
    EXPECT_EQ(f.settings.duckFadeOutSeconds, 5);
    EXPECT_EQ(f.settings.duckFadeInSeconds, 16);
    EXPECT_EQ(f.page->duckingText()->text(), QStringLiteral("立即播播出时, 定时播音量降低: 100%"));
    SystemSettings stored = firstRunSettings();
    QString message;
    ASSERT_TRUE(loadSystemSettings(f.paths.dataFolder, stored, message));
    EXPECT_EQ(stored.duckPercent, 100);
    EXPECT_EQ(stored.duckFadeInSeconds, 16);
}

TEST(SettingsDucking, OkWithoutChangesWritesNothing) {
    SettingsFixture f;
    whenModal([](QWidget* modal) {
        // Changed and changed back: the values are what counts.
        auto* dialog = qobject_cast<DuckingDialog*>(modal);
        dialog->percentEdit()->setText(QStringLiteral("70"));
        dialog->percentEdit()->setText(QStringLiteral("60"));
        buttonOf(dialog, QStringLiteral("确定"))->click();
    });
    f.page->changeDucking();
    EXPECT_FALSE(QFile::exists(f.settingsPath()));
    EXPECT_TRUE(f.messages.shown.isEmpty());
}

TEST(SettingsPageLoad, TheSettingsFileFillsThePageAndItsFailuresAreThePages) {
    SettingsFixture f;
    SystemSettings stored = firstRunSettings();
    stored.duckPercent = 35;
    setOutputDeviceName(stored, QStringLiteral("USB Audio"));
    QString message;
    ASSERT_TRUE(saveSystemSettings(f.paths.dataFolder, stored, message));
    EXPECT_EQ(f.page->deviceText()->text(), QStringLiteral("默认的音频输出设备"));
    f.page->loadData();
    EXPECT_EQ(f.page->deviceText()->text(), QStringLiteral("USB Audio"));
    EXPECT_EQ(f.page->duckingText()->text(), QStringLiteral("立即播播出时, 定时播音量降低: 35%"));
    // A damaged file: the after-error values, and the message is the page's.
    QByteArray bytes = readBytes(f.settingsPath());
    bytes[104] = 24;
    writeBytes(f.settingsPath(), bytes);
    f.page->loadData();
    ASSERT_EQ(f.messages.shown.size(), 1);
    EXPECT_EQ(f.messages.shown[0].owner, f.page.get());
    EXPECT_EQ(f.page->duckingText()->text(), QStringLiteral("立即播播出时, 定时播音量降低: 60%"));
    EXPECT_EQ(f.settings.dailyShutdownTime, (ClockTime{1, 0, 0}));
}

TEST(SettingsPageLoad, TheTrayButtonAsksForTheTray) {
    SettingsFixture f;
    QSignalSpy tray(f.page.get(), &SettingsPage::minimiseToTrayRequested);
    buttonOf(f.page.get(), QStringLiteral("最小化到托盘"))->click();
    EXPECT_EQ(tray.count(), 1);
}
