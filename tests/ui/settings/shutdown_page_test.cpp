#include <gtest/gtest.h>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTimeEdit>

#include "ui/settings/countdown_dialog.h"
#include "ui/settings/schedule_dialog.h"
#include "ui/settings/settings_fixture.h"

namespace {

// The page's half-second ticks on the simulated clock until the moment.
void tickUntil(SettingsFixture& f, const LocalDateTime& end) {
    while (compareDateTimes(f.harness.clock.now(), end) < 0) {
        f.shutdowns.tick();
        f.harness.clock.advanceMs(ShutdownScheduler::kTickMs);
    }
}

struct CountdownSeen {
    QString label;
    QString number;
    QColor colour;
    int pixelSize = 0;
    QString title;
};

// Looks at the countdown when it opens, then closes it with a key (or lets it run out).
void onCountdown(CountdownSeen& seen, int key = 0) {
    whenModal([&seen, key](QWidget* modal) {
        auto* dialog = qobject_cast<CountdownDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        seen = {dialog->caption()->text(), dialog->number()->text(),
                dialog->number()->palette().color(QPalette::WindowText),
                dialog->number()->font().pixelSize(), dialog->windowTitle()};
        if (key != 0) {
            QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
            QApplication::sendEvent(dialog, &press);
        }
    });
}

}  // namespace

TEST(SettingsShutdown, TheDueCountdownCountsDownAndPowersOff) {
    SettingsFixture f;
    f.shutdowns.setStepMs(1);
    f.settings.dailyShutdownEnabled = 1;
    f.settings.dailyShutdownTime = {17, 0, 0};
    f.page->refresh();
    f.harness.clock.set(at(17, 0, 10));
    QSignalSpy wanted(f.page.get(), &SettingsPage::windowWanted);
    QSignalSpy goingDown(&f.shutdowns, &ShutdownScheduler::systemGoingDown);
    CountdownSeen seen;
    onCountdown(seen);
    f.shutdowns.tick();
    // The steps are 1 ms here, so the count has moved on when the dialog is seen; the
    // tests with a long step see the 60.
    EXPECT_EQ(seen.label, QStringLiteral("关机倒计时"));
    EXPECT_EQ(seen.colour, QColor(250, 0, 0));
    EXPECT_EQ(seen.pixelSize, 60);
    EXPECT_EQ(seen.title, QStringLiteral("澜川校园定时广播系统 9.2"));
    EXPECT_EQ(f.power.calls, QStringList{QStringLiteral("PowerOff")});
    EXPECT_EQ(wanted.count(), 1) << "a window in the tray comes back first";
    EXPECT_EQ(goingDown.count(), 1);
    EXPECT_FALSE(f.shutdowns.isCountingDown());
    EXPECT_TRUE(f.messages.shown.isEmpty());
}

TEST(SettingsShutdown, EscapeCancelsForTheDayAndTickingTheBoxAgainRearms) {
    SettingsFixture f;
    f.shutdowns.setStepMs(60'000);  // never runs out here
    f.page->loadData();
    f.harness.clock.set(at(16, 59, 58));
    f.page->scheduleBox(ShutdownSchedule::Daily)->click();
    EXPECT_TRUE(f.page->scheduleText(ShutdownSchedule::Daily)->isEnabled());
    whenModal([](QWidget* modal) {
        auto* dialog = qobject_cast<ScheduleDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->windowTitle(), QStringLiteral("每天关机"));
        EXPECT_TRUE(dialog->dayBoxes().isEmpty());
        dialog->timeEdit()->setTime(QTime(17, 0, 0));
        dialog->accept();
    });
    f.page->editSchedule(ShutdownSchedule::Daily);
    EXPECT_EQ(f.page->scheduleText(ShutdownSchedule::Daily)->text(), QStringLiteral("17:00:00"));

    CountdownSeen seen;
    onCountdown(seen, Qt::Key_Escape);
    tickUntil(f, at(17, 0, 5));
    EXPECT_EQ(seen.number, QStringLiteral("60"));
    EXPECT_EQ(f.shutdowns.marks().lastDailyShutdown, at(17, 0, 0));
    tickUntil(f, at(17, 0, 8));
    EXPECT_TRUE(f.power.calls.isEmpty());

    // Unticked and ticked again within the window: it fires once more.
    seen = {};
    f.page->scheduleBox(ShutdownSchedule::Daily)->click();
    EXPECT_FALSE(f.page->scheduleText(ShutdownSchedule::Daily)->isEnabled());
    EXPECT_FALSE(f.page->scheduleButton(ShutdownSchedule::Daily)->isEnabled());
    f.page->scheduleBox(ShutdownSchedule::Daily)->click();
    onCountdown(seen, Qt::Key_Escape);
    f.shutdowns.tick();
    EXPECT_EQ(seen.label, QStringLiteral("关机倒计时"));
    EXPECT_TRUE(f.power.calls.isEmpty());
    SystemSettings stored = firstRunSettings();
    QString message;
    ASSERT_TRUE(loadSystemSettings(f.paths.dataFolder, stored, message));
    EXPECT_EQ(stored.dailyShutdownEnabled, 1);
    EXPECT_EQ(stored.dailyShutdownTime, (ClockTime{17, 0, 0}));
}

TEST(SettingsShutdown, ARefusalIsShownAndTheProgramGoesOn) {
    SettingsFixture f;
    f.shutdowns.setStepMs(1);
    f.power.refusal = QStringLiteral("Access denied");
    QSignalSpy goingDown(&f.shutdowns, &ShutdownScheduler::systemGoingDown);
    CountdownSeen seen;
    onCountdown(seen);
    f.shutdowns.startCountdown(ShutdownMode::Restart);
    EXPECT_EQ(seen.label, QStringLiteral("关机重启倒计时"));
    EXPECT_EQ(f.power.calls, QStringList{QStringLiteral("Reboot")});
    EXPECT_EQ(f.messages.texts(),
              QStringList{QStringLiteral(
                  "关机重启失败：\nAccess denied\n\n技术支持 - 帮助栏里有联系方式")});
    EXPECT_EQ(f.messages.shown[0].icon, MessageIcon::Error);
    EXPECT_EQ(goingDown.count(), 0);
}

TEST(SettingsShutdown, TicksDuringTheCountdownDoNothing) {
    SettingsFixture f;
    f.shutdowns.setStepMs(60'000);
    bool openedAgain = false;
    whenModal([&](QWidget* modal) {
        EXPECT_TRUE(f.shutdowns.isCountingDown());
        f.shutdowns.startCountdown(ShutdownMode::Restart);  // returns at once
        f.shutdowns.tick();
        openedAgain = QApplication::activeModalWidget() != modal;
        qobject_cast<QDialog*>(modal)->reject();
    });
    f.shutdowns.startCountdown(ShutdownMode::Shutdown);
    EXPECT_FALSE(openedAgain);
    EXPECT_TRUE(f.power.calls.isEmpty());
}

TEST(SettingsShutdown, TheWeeklyDialogStoresDaysAndTimeAndCancelChangesNothing) {
    SettingsFixture f;
    f.page->refresh();
    EXPECT_EQ(f.page->scheduleText(ShutdownSchedule::Weekly)->text(),
              QStringLiteral("00:00:00 (周67)"));
    EXPECT_EQ(f.page->scheduleText(ShutdownSchedule::Restart)->text(), QString());
    whenModal([](QWidget* modal) {
        auto* dialog = qobject_cast<ScheduleDialog*>(modal);
        EXPECT_EQ(dialog->windowTitle(), QStringLiteral("关机重启"));
        dialog->dayBoxes()[2]->setChecked(true);
        dialog->timeEdit()->setTime(QTime(5, 30, 15));
        dialog->reject();
    });
    f.page->editSchedule(ShutdownSchedule::Restart);
    EXPECT_EQ(f.settings.restartDays[2], 0);
    EXPECT_FALSE(QFile::exists(f.settingsPath()));
    whenModal([](QWidget* modal) {
        auto* dialog = qobject_cast<ScheduleDialog*>(modal);
        ASSERT_EQ(dialog->dayBoxes().size(), 7);
        EXPECT_EQ(dialog->dayBoxes()[0]->text(), QStringLiteral("周一"));
        for (int d = 0; d < 7; ++d) {
            dialog->dayBoxes()[d]->setChecked(d < 5);
        }
        dialog->timeEdit()->setTime(QTime(17, 0, 0));
        dialog->accept();
    });
    f.page->editSchedule(ShutdownSchedule::Weekly);
    EXPECT_EQ(f.page->scheduleText(ShutdownSchedule::Weekly)->text(),
              QStringLiteral("17:00:00 (周12345)"));
    EXPECT_EQ(f.settings.weeklyShutdownDays[5], 0);
    EXPECT_TRUE(QFile::exists(f.settingsPath()));
}
