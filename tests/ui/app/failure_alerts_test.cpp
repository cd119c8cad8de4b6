#include <gtest/gtest.h>
#include <QTest>
#include <QWidget>

#include "core/timed/run_texts.h"
#include "helpers/simulated_clock.h"
#include "platform/desktop_notifications.h"
#include "ui/app/failure_alerts.h"
#include "ui/app/tray_area.h"

namespace {

// The tray as the alerts see it: its balloons, its warning and its tip.
class RecordingTray : public TrayArea {
  public:
    bool add(const QString&) override { return true; }
    void remove() override {}
    bool isShown() const override { return true; }
    bool showMessage(const QString& title, const QString& text) override {
        balloons.append(title + u'|' + text);
        return true;
    }
    void setWarning(bool on) override { warning = on; }
    void setNextStart(const QString& text) override { next = text; }

    QStringList balloons;
    bool warning = false;
    QString next;
};

}  // namespace

// The test bus has no notification server, so every notice falls back to the tray's balloon.
TEST(FailureAlerts, EachProblemIsToldOnceAndAFailureWarnsUntilTheWindowOpens) {
    DesktopNotifications notifications;
    SimulatedClock clock;
    clock.set(makeDateTime(2024, 5, 6, 8, 0, 0));
    FailureAlerts alerts(notifications, clock);
    QWidget window;
    RecordingTray tray;
    alerts.setWindow(&window, &tray);
    const LocalDateTime nine = makeDateTime(2024, 5, 6, 9, 0, 0);
    const std::vector<StartProblem> missing = {
        {nine, QStringLiteral("早操"), QStringLiteral("音乐文件不存在")},
        {makeDateTime(2024, 5, 6, 10, 0, 0), QStringLiteral("早操"),
         QStringLiteral("音乐文件不存在")}};
    alerts.problemsFound(missing);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !tray.balloons.isEmpty(); }, 5000));
    alerts.problemsFound(missing);
    QTest::qWait(500);
    ASSERT_EQ(tray.balloons.size(), 1) << "one per programme and problem, told once";
    EXPECT_EQ(tray.balloons[0],
              QStringLiteral("定时播: 节目将无法播放|09:00:00  早操\n音乐文件不存在"));
    EXPECT_FALSE(tray.warning) << "a problem to come is told, the icon stays as it is";

    // Gone, then back: told again.
    alerts.problemsFound({});
    alerts.problemsFound(missing);
    ASSERT_TRUE(QTest::qWaitFor([&] { return tray.balloons.size() == 2; }, 5000));

    ActiveRun run;
    setProgrammeName(run.programme, QStringLiteral("午休"));
    alerts.runReported(run, RunTextKind::Started, QStringLiteral("开始播放"));
    alerts.runReported(run, RunTextKind::Failed,
                       QStringLiteral("播放异常 ◆ 音频设备失效 ◆ 常见原因: ..."));
    ASSERT_TRUE(QTest::qWaitFor([&] { return tray.balloons.size() == 3; }, 5000));
    EXPECT_TRUE(tray.balloons[2].startsWith(
        QStringLiteral("定时播: 音频设备失效|午休 ◆ 播放异常 ◆ 音频设备失效")));
    EXPECT_TRUE(tray.warning);
    window.show();
    EXPECT_FALSE(tray.warning) << "cleared once the window is opened";
}

TEST(FailureAlerts, AStartThatIsNotTodayIsToldWithItsDay) {
    DesktopNotifications notifications;
    SimulatedClock clock;
    clock.set(makeDateTime(2024, 12, 31, 20, 0, 0));
    FailureAlerts alerts(notifications, clock);
    QWidget window;
    RecordingTray tray;
    alerts.setWindow(&window, &tray);
    const QString missing = QStringLiteral("音乐文件不存在");
    alerts.problemsFound({{makeDateTime(2024, 12, 31, 21, 0, 0), QStringLiteral("晚自习"), missing},
                          {makeDateTime(2025, 1, 1, 7, 55, 0), QStringLiteral("早操"), missing},
                          {makeDateTime(2025, 1, 2, 7, 55, 0), QStringLiteral("升旗"), missing}});
    ASSERT_TRUE(QTest::qWaitFor([&] { return tray.balloons.size() == 3; }, 5000));
    // The bus answers the three calls in its own order, so the fallbacks may come in any.
    QStringList expected{
        QStringLiteral("定时播: 节目将无法播放|21:00:00  晚自习\n音乐文件不存在"),
        QStringLiteral("定时播: 节目将无法播放|明天 07:55:00  早操\n音乐文件不存在"),
        QStringLiteral("定时播: 节目将无法播放|2025-01-02 07:55:00  升旗\n音乐文件不存在")};
    expected.sort();
    tray.balloons.sort();
    EXPECT_EQ(tray.balloons, expected);
}

TEST(RunTexts, ReportsAreRecognisedByTheirRun) {
    const QString label = QStringLiteral("早操(手动)");
    QString reason;
    EXPECT_EQ(RunTexts::kindOf(label, RunTexts::started(label)), RunTextKind::Started);
    EXPECT_EQ(RunTexts::kindOf(label, RunTexts::switchedTrack(label, QStringLiteral("b.mp3"))),
              RunTextKind::Switched);
    EXPECT_EQ(RunTexts::kindOf(label, RunTexts::ended(label)), RunTextKind::Ended);
    EXPECT_EQ(
        RunTexts::kindOf(label, RunTexts::stopping(label, QStringLiteral("用户终止播放")), &reason),
        RunTextKind::Stopped);
    EXPECT_EQ(reason, QStringLiteral("终止播放... ◆ 用户终止播放"));
    EXPECT_EQ(RunTexts::kindOf(label, RunTexts::tooManyFailures(label)), RunTextKind::Failed);
    EXPECT_EQ(RunTexts::kindOf(label, RunTexts::invalidDevice(label, QStringLiteral("a.mp3"))),
              RunTextKind::TrackFailed);
    EXPECT_EQ(RunTexts::kindOf(label, RunTexts::noMusic(label)), RunTextKind::Failed);
    EXPECT_EQ(RunTexts::kindOf(label, RunTexts::pathProblem(label, QStringLiteral("音乐文件不存在"),
                                                            QStringLiteral("/x.mp3"))),
              RunTextKind::Failed);
    EXPECT_EQ(RunTexts::kindOf(QStringLiteral("早操"), RunTexts::started(label)),
              RunTextKind::Other)
        << "another run's label";
    EXPECT_TRUE(RunTexts::isDeviceProblem(RunTexts::deviceFailed(label, QString())));
    EXPECT_TRUE(RunTexts::isDeviceProblem(RunTexts::invalidDevice(label, QString())));
    EXPECT_FALSE(RunTexts::isDeviceProblem(RunTexts::noMusic(label)));
}
