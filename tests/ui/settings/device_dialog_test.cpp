#include <gtest/gtest.h>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QProcess>
#include <QRadioButton>

#include "audio/gst_support.h"
#include "audio/output_devices.h"
#include "audio/test_chime.h"
#include "core/timed/programme_file.h"
#include "helpers/sink_recorder.h"
#include "helpers/tone_files.h"
#include "ui/app/main_window.h"
#include "ui/app/program.h"
#include "ui/settings/device_dialog.h"
#include "ui/settings/settings_fixture.h"

namespace {

// A third output, loaded for one test and unloaded with the object (or earlier).
class SpareSink {
  public:
    explicit SpareSink(const QString& description) : description_(description) {
        QProcess pactl;
        pactl.start(QStringLiteral("pactl"),
                    {QStringLiteral("load-module"), QStringLiteral("module-null-sink"),
                     QStringLiteral("sink_name=kb_spare"),
                     QStringLiteral("sink_properties=device.description=") + description});
        pactl.waitForFinished(5000);
        module_ = QString::fromUtf8(pactl.readAllStandardOutput()).trimmed();
    }
    ~SpareSink() { unload(); }
    bool loaded() const { return !module_.isEmpty(); }
    void unload() {
        if (!module_.isEmpty()) {
            QProcess::execute(QStringLiteral("pactl"), {QStringLiteral("unload-module"), module_});
            module_.clear();
        }
    }

  private:
    QString description_;
    QString module_;
};

bool waitForDevices(const std::function<bool(const QStringList&)>& ready) {
    QElapsedTimer timer;
    timer.start();
    while (!ready(listOutputDevices()) && timer.elapsed() < 5000) {
        pumpEvents(20);
    }
    return ready(listOutputDevices());
}

// Chooses the named output (or the default with an empty name) in the open dialog.
void chooseInDialog(QWidget* modal, const QString& name) {
    auto* dialog = qobject_cast<DeviceDialog*>(modal);
    ASSERT_NE(dialog, nullptr);
    if (name.isEmpty()) {
        dialog->defaultButton()->click();
    } else {
        dialog->namedButton()->click();
        dialog->deviceList()->setCurrentIndex(dialog->deviceList()->findText(name));
    }
    buttonOf(dialog, QStringLiteral("确定"))->click();
}

// The real program in this process, with one programme of a long tone, on the test sound
// server.
class DeviceChoiceTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(initAudioEngine());
        ASSERT_TRUE(waitForDevices([](const QStringList& names) {
            return names.contains(QStringLiteral("KB-Hall"));
        })) << "needs the test sound server (scripts/with-test-services.sh)";
        qputenv("XDG_CONFIG_HOME", config_.path().toUtf8());
        paths_ = AppPaths::forFolders(data_.path(), data_.path());
        ProgrammeTable table;
        Programme p = newProgramme();
        setProgrammeName(p, QStringLiteral("试音"));
        setProgrammePath(p, toneFile(QStringLiteral("ogg"), 20.0));
        table.append(p);
        QString message;
        ASSERT_TRUE(saveProgrammes(paths_.dataFolder, table, true, message));
        program_ = std::make_unique<Program>(paths_, false);
        ASSERT_TRUE(program_->initialise({}));
        page_ = static_cast<SettingsPage*>(program_->window()->page(MainWindow::kSettingsTab));
        ASSERT_NE(page_, nullptr);
    }
    void TearDown() override {
        if (program_) {
            program_->shutdown(false);
        }
    }

    // Plays the programme by hand for a second; the level heard on each sink.
    std::pair<double, double> playAndListen() {
        SinkRecorder speakers(QStringLiteral("kb_speakers"));
        SinkRecorder hall(QStringLiteral("kb_hall"));
        EXPECT_TRUE(speakers.start() && hall.start());
        program_->dispatcher().manualPlay(0, 1);
        const qint64 started = monotonicNs();
        pumpEvents(1200);
        const qint64 now = monotonicNs();
        const std::pair<double, double> levels{speakers.levelDb(started + 300'000'000, now),
                                               hall.levelDb(started + 300'000'000, now)};
        program_->runs().stopAllRuns(QStringLiteral("测试结束"), 0, wholeSecond(clock_.now()));
        return levels;
    }
    SystemSettings stored() {
        SystemSettings s = firstRunSettings();
        QString message;
        EXPECT_TRUE(loadSystemSettings(paths_.dataFolder, s, message));
        return s;
    }

    RecordedMessages messages_;
    SystemClock clock_;
    TempFolder data_;
    TempFolder config_;
    AppPaths paths_;
    std::unique_ptr<Program> program_;
    SettingsPage* page_ = nullptr;
};

}  // namespace

TEST_F(DeviceChoiceTest, BothOutputsAreListedAndTheHallIsSavedAndPlayedOn) {
    QStringList listed;
    bool defaultFirst = false;
    whenModal([&](QWidget* modal) {
        auto* dialog = qobject_cast<DeviceDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        defaultFirst = dialog->defaultButton()->isChecked() && !dialog->deviceList()->isEnabled();
        for (int i = 0; i < dialog->deviceList()->count(); ++i) {
            listed.append(dialog->deviceList()->itemText(i));
        }
        chooseInDialog(modal, QStringLiteral("KB-Hall"));
    });
    page_->chooseDevice();
    EXPECT_TRUE(defaultFirst);
    EXPECT_EQ(listed, listOutputDevices());
    EXPECT_TRUE(listed.contains(QStringLiteral("KB-Speakers")));
    EXPECT_TRUE(listed.contains(QStringLiteral("KB-Hall")));
    EXPECT_EQ(messages_.texts(), QStringList{QStringLiteral("切换设备：\n下次播放音乐时生效 !")});
    EXPECT_EQ(page_->deviceText()->text(), QStringLiteral("KB-Hall"));
    EXPECT_EQ(outputDeviceName(stored()), QStringLiteral("KB-Hall"));

    const auto [speakers, hall] = playAndListen();
    EXPECT_GT(hall, -40.0);
    EXPECT_LT(speakers, -80.0);
}

TEST_F(DeviceChoiceTest, TheSameChoiceStillSavesWithoutTheHint) {
    ASSERT_FALSE(QFile::exists(paths_.dataFile(kSettingsFileName)));
    whenModal([](QWidget* modal) { chooseInDialog(modal, QString()); });
    page_->chooseDevice();
    EXPECT_TRUE(QFile::exists(paths_.dataFile(kSettingsFileName)));
    EXPECT_TRUE(messages_.shown.isEmpty());
    EXPECT_EQ(page_->deviceText()->text(), QStringLiteral("默认的音频输出设备"));
}

TEST_F(DeviceChoiceTest, AnOutputGoneSinceItWasChosenFallsBackToTheDefault) {
    SpareSink spare(QStringLiteral("KB-Spare"));
    ASSERT_TRUE(spare.loaded());
    ASSERT_TRUE(waitForDevices(
        [](const QStringList& names) { return names.contains(QStringLiteral("KB-Spare")); }));
    whenModal([](QWidget* modal) { chooseInDialog(modal, QStringLiteral("KB-Spare")); });
    page_->chooseDevice();
    ASSERT_EQ(outputDeviceName(stored()), QStringLiteral("KB-Spare"));
    spare.unload();
    ASSERT_TRUE(waitForDevices(
        [](const QStringList& names) { return !names.contains(QStringLiteral("KB-Spare")); }));
    const auto [speakers, hall] = playAndListen();
    EXPECT_GT(speakers, -40.0);
    EXPECT_LT(hall, -80.0);
    // The choice stays; it applies again once the output is back.
    EXPECT_EQ(page_->deviceText()->text(), QStringLiteral("KB-Spare"));
}

TEST_F(DeviceChoiceTest, AnOutputPluggedInWhileTheDialogIsOpenAppears) {
    bool appeared = false;
    bool selectionKept = false;
    whenModal([&](QWidget* modal) {
        auto* dialog = qobject_cast<DeviceDialog*>(modal);
        dialog->namedButton()->click();
        dialog->deviceList()->setCurrentIndex(
            dialog->deviceList()->findText(QStringLiteral("KB-Hall")));
        SpareSink spare(QStringLiteral("KB-Plugged"));
        QElapsedTimer timer;
        timer.start();
        while (dialog->deviceList()->findText(QStringLiteral("KB-Plugged")) < 0 &&
               timer.elapsed() < 5000) {
            pumpEvents(20);
        }
        appeared = dialog->deviceList()->findText(QStringLiteral("KB-Plugged")) >= 0;
        selectionKept = dialog->deviceList()->currentText() == QLatin1String("KB-Hall");
        buttonOf(dialog, QStringLiteral("取消"))->click();
    });
    page_->chooseDevice();
    EXPECT_TRUE(appeared);
    EXPECT_TRUE(selectionKept);
    EXPECT_FALSE(QFile::exists(paths_.dataFile(kSettingsFileName))) << "cancel saves nothing";
}

TEST_F(DeviceChoiceTest, TheChimeSoundsOnTheOutputChosenInTheDialog) {
    SinkRecorder speakers(QStringLiteral("kb_speakers"));
    SinkRecorder hall(QStringLiteral("kb_hall"));
    ASSERT_TRUE(speakers.start() && hall.start());
    qint64 pressed = 0;
    whenModal([&](QWidget* modal) {
        auto* dialog = qobject_cast<DeviceDialog*>(modal);
        dialog->namedButton()->click();
        dialog->deviceList()->setCurrentIndex(
            dialog->deviceList()->findText(QStringLiteral("KB-Hall")));
        pressed = monotonicNs();
        buttonOf(dialog, QStringLiteral("试听"))->click();
        EXPECT_TRUE(dialog->chime().isSounding());
        pumpEvents(TestChime::durationMs() + 600);
        EXPECT_FALSE(dialog->chime().isSounding()) << "the chime ends by itself";
        buttonOf(dialog, QStringLiteral("取消"))->click();
    });
    page_->chooseDevice();
    const qint64 heard = hall.firstSoundNs(pressed);
    ASSERT_GT(heard, 0);
    EXPECT_GT(hall.levelDb(heard, heard + 400'000'000), -40.0);
    EXPECT_LT(speakers.levelDb(pressed, monotonicNs()), -80.0);
    EXPECT_EQ(outputDeviceName(program_->settings()), kDefaultDeviceName) << "only listened";
    EXPECT_TRUE(messages_.shown.isEmpty());
}
