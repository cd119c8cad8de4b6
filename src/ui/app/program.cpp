#include "ui/app/program.h"

#include <QCoreApplication>
#include <QTreeView>
#include <cstdio>

#include "audio/duration_probe.h"
#include "core/emergency/alarm_setup.h"
#include "core/holidays/holiday_file.h"
#include "core/playback/volume_scale.h"
#include "core/settings/settings_file.h"
#include "core/storage/data_file.h"
#include "core/storage/folders.h"
#include "core/support/log_categories.h"
#include "core/support/messages.h"
#include "core/timed/programme_file.h"
#include "platform/autostart_entry.h"
#include "ui/app/bell_watch.h"
#include "ui/app/guarded_application.h"
#include "ui/app/main_window.h"
#include "ui/app/remote_control.h"
#include "ui/app/tab_list_panel.h"
#include "ui/app/tray_area.h"
#include "ui/holidays/holidays_page.h"
#include "ui/immediate/immediate_page.h"
#include "ui/settings/settings_page.h"
#include "ui/timed/timed_page.h"
#include "ui/widgets/help_page.h"

Program::Program(const AppPaths& paths, bool headless, QObject* parent)
    : QObject(parent),
      paths_(paths),
      headless_(headless),
      playLog_(paths.dataFolder),
      runs_(clock_, backend_, playLog_, settings_),
      dispatcher_(clock_, programmes_, calendar_, runs_, playLog_),
      immediateStore_(paths.dataFolder, paths.musicFolder),
      playlist_(immediateStore_.settings()),
      immediate_(
          {clock_, backend_, immediateStore_, playlist_, settings_, runs_.ducking(), &zones_}),
      announcement_({clock_, playLog_, runs_.ducking(), liveRoute_, settings_, &zones_}),
      emergency_({clock_, playLog_, runs_, dispatcher_, immediate_, announcement_, alarmSound_,
                  settings_, &zones_, paths.musicFolder + u'/' + kBuiltInAlarmName}),
      timetableSwitch_(paths.dataFolder, programmes_, calendar_, runs_, clock_),
      movingIn_({paths.dataFolder, programmes_, calendar_, immediateStore_, settings_, runs_,
                 immediate_, clock_}),
      shutdowns_(settings_, clock_, power_),
      dataWatch_(paths.dataFolder, dataFileNames()) {
    playLog_.setEchoToStandardOutput(headless);
    dispatcher_.setProgrammeList(&programmeList_);
    programmeList_.showZones(&zones_);
    connect(this, &Program::zonesChanged, this, [this] { programmeList_.showZones(&zones_); });
    // After an unexpected failure nothing new may start while its message is open.
    if (auto* guarded = qobject_cast<GuardedApplication*>(QCoreApplication::instance())) {
        guarded->setBeforeMessage([this] { disableAllProgrammes(); });
    }
    connect(&tickTimer_, &TickTimer::tick, this, [this] { dispatcher_.dispatchTick(); });
    connect(&timetableSwitch_, &TimetableSwitch::timetableReplaced, this,
            &Program::reloadTimetable);
    connect(&dataWatch_, &DataFolderWatch::replaced, this, &Program::reloadDataFile);
    // The engines read the zones where they are; their ducking follows the list.
    runs_.setZones(&zones_);
    connect(this, &Program::zonesChanged, this, [this] { runs_.setZones(&zones_); });
    connect(&immediate_, &ImmediatePlayer::activeChanged, this, [this](bool active) {
        QString message;
        if (!active && playlistReloadPending_ && !reloadPlaylist(message)) {
            showMessage(MessageIcon::Error, message, immediatePage_);
        }
    });
    settingsTick_.setTimerType(Qt::PreciseTimer);
    connect(&settingsTick_, &QTimer::timeout, this, &Program::settingsTick);
    // A power-off or restart ends the session: the exit without the log line.
    connect(&shutdowns_, &ShutdownScheduler::systemGoingDown, this, [this] { shutdown(true); });
    connect(&shutdowns_, &ShutdownScheduler::countdownStarted, this, [this](ShutdownMode mode) {
        if (!window_) {
            announceCountdown(mode);
        }
    });
    connect(&shutdowns_, &ShutdownScheduler::countdownEnded, this,
            [this](bool, const QString& failure) {
                if (!window_ && !failure.isEmpty()) {
                    showMessage(MessageIcon::Error, failure);
                }
            });
    connect(&movingIn_, &MovingIn::timetableReplaced, this, &Program::reloadTimetable);
    connect(&movingIn_, &MovingIn::playlistReplaced, this, &Program::showReplacedPlaylist);
    connect(&movingIn_, &MovingIn::settingsReplaced, this, &Program::showReplacedSettings);
    connect(&emergency_, &EmergencyAlarm::activeChanged, this, &Program::showEmergency);
    // An input unplugged, or every output gone: the announcement ends and says why.
    connect(&liveRoute_, &LiveRoute::failed, this, [this](const QString& text) {
        if (announcement_.isActive()) {
            announcement_.end();
            showMessage(MessageIcon::Warning, QStringLiteral("喊话中断：\n%1").arg(text),
                        immediatePage_);
        }
    });
    bellWatch_ = std::make_unique<BellWatch>(
        BellWatch::Sources{programmeList_, calendar_, settings_, clock_, runs_, playLog_});
}

Program::~Program() {
    // Never hang at exit for it: a warm-up still stuck after a while is left to the end of
    // the process.
    if (warmUp_ && !warmUp_->wait(3000)) {
        (void)warmUp_.release();
    }
}

void Program::log(const QString& text) {
    playLog_.reportTimedEvent(wholeSecond(clock_.now()), text);
}

void Program::createWindow() {
    window_ = std::make_unique<MainWindow>(paths_, new SystemTrayArea());
    paths_.dpiScale = window_->dpiScale();
    connect(window_.get(), &MainWindow::exitRequested, this, [this] { shutdown(false); });
    // The pages change the zones through the program, which saves them and tells every page.
    const ZoneChange changeZones = [this](const ZoneSetup& zones, QString& message) {
        return this->changeZones(zones, message);
    };
    timedPage_ = new TimedPage({programmeList_, runs_, dispatcher_, playLog_.rows(), paths_,
                                &calendar_, &clock_, &zones_, changeZones});
    window_->setPage(MainWindow::kTimedTab, timedPage_);
    holidaysPage_ = new HolidaysPage(calendar_, paths_);
    window_->setPage(MainWindow::kHolidaysTab, holidaysPage_);
    immediatePage_ = new ImmediatePage({immediateStore_, playlist_, immediate_, probeDurationMs,
                                        paths_, &zones_, changeZones, &announcement_, &liveRoute_});
    window_->setPage(MainWindow::kImmediateTab, immediatePage_);
    settingsPage_ = new SettingsPage({settings_, clock_, paths_, autostartFolder(),
                                      programExecutablePath(), shutdowns_, timetableSwitch_,
                                      &movingIn_, &zones_, changeZones, &emergency_});
    window_->setPage(MainWindow::kSettingsTab, settingsPage_);
    connect(this, &Program::zonesChanged, settingsPage_, &SettingsPage::refreshZones);
    connect(this, &Program::zonesChanged, immediatePage_, &ImmediatePage::refreshZones);
    // One click, no question: in a drill seconds count. A second click ends it.
    connect(window_->tabList(), &TabListPanel::emergencyClicked, this, [this] {
        if (emergency_.isActive()) {
            emergency_.stop();
        } else {
            emergency_.start();
        }
    });
    connect(settingsPage_, &SettingsPage::minimiseToTrayRequested, window_.get(),
            &MainWindow::hideToTray);
    // Once remote, the hints of both playing pages show and stay.
    connect(&remote_, &RemoteSessionDetector::remoteSessionDetected, timedPage_,
            &TimedPage::showRemoteSessionHint);
    connect(&remote_, &RemoteSessionDetector::remoteSessionDetected, immediatePage_,
            &ImmediatePage::showRemoteSessionHint);
    connect(settingsPage_, &SettingsPage::windowWanted, window_.get(), &MainWindow::bringForward);
    // A new output device is checked before the next bell.
    connect(settingsPage_, &SettingsPage::settingsChanged, bellWatch_.get(),
            &BellWatch::settingsChanged);
    bellWatch_->attach(window_.get(), timedPage_, holidaysPage_);
}

bool Program::initialise(const StartArguments& arguments) {
    if (!headless_) {
        createWindow();
    }
    // Ticks begin once the event loop runs; a message box shown during start-up would run
    // them on the tables loaded so far.
    tickTimer_.start();
    settingsTick_.start(ShutdownScheduler::kTickMs);
    if (window_) {
        window_->selectTab(MainWindow::kIntroTab);
        timedPage_->nowPlayingList()->setFocus();
        window_->showMaximized();
        window_->raise();
        window_->activateWindow();
        // Up on the screen now, before the slower steps below.
        QCoreApplication::processEvents();
    }
    inhibitor_.inhibit();
    if (arguments.minimised && window_) {
        window_->hideToTray();
    }
    if (arguments.locked) {
        lockScreen();
    }
    if (!checkAudioEngine()) {
        shutdown(false);
        return false;
    }
    // The result is not checked here: every writer checks it again.
    ensureDataFolder(paths_.dataFolder);
    removeInterruptedSaves(paths_.dataFolder);
    log(QStringLiteral("软件启动"));
    loadDataFiles();
    dataWatch_.start();
    bellWatch_->start();
    remoteControl_ = std::make_unique<RemoteControl>(*this);
    if (!remoteControl_->publish()) {
        qCInfo(lcPlatform) << "not on the session bus: no D-Bus interface";
    }
    // Loading the decoders takes longer than all of start-up: on a thread of its own, before
    // the first bell needs them (a start opens its player seconds ahead in any case).
    warmUp_.reset(QThread::create(&warmUpAudioEngine));
    warmUp_->start(QThread::LowPriority);
    return true;
}

QString Program::helpOffer() const {
    return QStringLiteral("\n\n帮助页面：") + paths_.helpIndex();
}

bool Program::checkAudioEngine() {
    if (!backend_.isMediaFrameworkAvailable()) {
        showMessage(
            MessageIcon::Error,
            QStringLiteral("系统环境有问题\n( 无法播放音乐 )\n\n解决方法：\n1. 修复工具 - "
                           "官网>帮助>DirectX修复工具\n2. 技术支持 - 官网>联系我们>QQ/电话等") +
                helpOffer());
        return false;
    }
    const QStringList missing = missingDecoderElements();
    if (!missing.isEmpty()) {
        showMessage(
            MessageIcon::Error,
            QStringLiteral("文件有缺失：\n请从官网下载软件重装\n\n缺少的 GStreamer 组件：%1")
                    .arg(missing.join(QStringLiteral(", "))) +
                helpOffer());
        return false;
    }
    return true;
}

void Program::loadDataFiles() {
    // In this fixed order; each failure is shown and start-up goes on without that table.
    QString message;
    const bool loaded = loadProgrammes(paths_.dataFolder, programmes_, message);
    programmeList_.reload();
    if (!loaded) {
        showMessage(MessageIcon::Error, message);
    }
    if (!immediateStore_.load(message)) {
        showMessage(MessageIcon::Error, message, immediatePage_);
    }
    playlist_.reload();
    if (immediatePage_ != nullptr) {
        immediatePage_->showLoaded();
    }
    if (!loadHolidayCalendar(paths_.dataFolder, calendar_, message)) {
        showMessage(MessageIcon::Error, message, holidaysPage_);
    }
    if (holidaysPage_ != nullptr) {
        holidaysPage_->refill();
    }
    // Last: the settings page reads the settings file and the autostart entry.
    if (settingsPage_ != nullptr) {
        settingsPage_->loadData();
    } else if (!loadSystemSettings(paths_.dataFolder, settings_, message)) {
        showMessage(MessageIcon::Error, message);
    }
    // Without the file (or with a bad one) the program has its one output.
    if (!loadZoneSetup(paths_.dataFolder, zones_, message)) {
        showMessage(MessageIcon::Error, message);
    }
    emit zonesChanged();
    EmergencySetup emergency;
    if (!loadEmergencySetup(paths_.dataFolder, emergency, message)) {
        showMessage(MessageIcon::Error, message);
    }
    emergency_.setAlarmFile(emergency.alarmFile);
    if (settingsPage_ != nullptr) {
        settingsPage_->refresh();
    }
}

void Program::fadeOutEverything() {
    fadeOutInFiftySteps(
        [this](double fraction) {
            runs_.scaleAllRuns(fraction);
            immediate_.scaleImmediateVolume(fraction);
        },
        kFadeStepMs, clock_);
}

void Program::shutdown(bool sessionEnding) {
    if (shutDown_) {
        return;
    }
    shutDown_ = true;
    if (!sessionEnding) {
        log(QStringLiteral("软件关闭"));
    }
    emergency_.stop();
    announcement_.end();
    fadeOutEverything();
    tickTimer_.stop();
    settingsTick_.stop();
    shutdowns_.cancel();
    if (window_) {
        if (!window_->isVisible()) {
            window_->tray().remove();
        }
        window_->hide();
    }
    inhibitor_.release();
    emit finished();
}

void Program::showEmergency(bool sounding) {
    if (window_) {
        window_->tabList()->showEmergency(sounding);
    }
    const QString summary = sounding ? QStringLiteral("紧急广播") : QStringLiteral("紧急广播结束");
    const QString body = sounding ? QStringLiteral("警报正在所有分区播放，所有节目暂停")
                                  : QStringLiteral("警报已停止，节目按时间表继续");
    notifications_.notify(summary, body, sounding);
    std::fprintf(stderr, "%s\n", (summary + QStringLiteral(": ") + body).toUtf8().constData());
    std::fflush(stderr);
}

void Program::settingsTick() {
    // With a window the countdown is a modal loop inside an earlier tick.
    if (shutdowns_.isCountingDown()) {
        return;
    }
    remote_.check();
    shutdowns_.tick();
}

void Program::announceCountdown(ShutdownMode mode) {
    const int seconds = ShutdownScheduler::kSteps * ShutdownScheduler::kStepMs / 1000;
    const bool restart = mode == ShutdownMode::Restart;
    const QString summary =
        restart ? QStringLiteral("关机重启倒计时") : QStringLiteral("关机倒计时");
    const QString body =
        (restart ? QStringLiteral("%1 秒后重启") : QStringLiteral("%1 秒后关机")).arg(seconds);
    notifications_.notify(summary, body, true);
    std::fprintf(stderr, "%s\n", (summary + QStringLiteral(": ") + body).toUtf8().constData());
    std::fflush(stderr);
}

void Program::disableAllProgrammes() {
    for (Programme& p : programmes_.items()) {
        p.disabled = 1;
    }
    // Shown as disabled; the file keeps them as they were.
    programmeList_.reload();
}

void Program::reloadTimetable() {
    programmeList_.reload();
    if (holidaysPage_ != nullptr) {
        holidaysPage_->refill();
    }
    emit timetableReloaded();
}

void Program::showReplacedPlaylist() {
    playlist_.reload();
    if (immediatePage_ != nullptr) {
        immediatePage_->showLoaded();
    }
}

void Program::showReplacedSettings() {
    if (settingsPage_ != nullptr) {
        settingsPage_->refresh();
    }
    // A new output device is checked before the next bell.
    bellWatch_->settingsChanged();
}

void Program::activate() {
    if (window_) {
        window_->bringForward();
    } else {
        std::fprintf(stderr, "%s\n",
                     QStringLiteral("收到另一副本的请求：没有窗口可显示").toUtf8().constData());
        std::fflush(stderr);
    }
}
