#include "app/program.h"

#include <QCoreApplication>
#include <QTreeView>
#include <cstdio>

#include "app/guarded_application.h"
#include "app/help_page.h"
#include "app/main_window.h"
#include "app/tray_area.h"
#include "audio/volume_scale.h"
#include "holidays/holiday_file.h"
#include "holidays/holidays_page.h"
#include "settings/settings_file.h"
#include "storage/folders.h"
#include "support/messages.h"
#include "timed/programme_file.h"
#include "timed/timed_page.h"

namespace {

const QString kHelpOffer = QStringLiteral("\n\n帮助页面：程序文件夹里的 help/index.html");

}  // namespace

Program::Program(const AppPaths& paths, bool headless, QObject* parent)
    : QObject(parent),
      paths_(paths),
      headless_(headless),
      playLog_(paths.dataFolder),
      runs_(clock_, backend_, playLog_, settings_),
      dispatcher_(clock_, programmes_, calendar_, runs_, playLog_) {
    playLog_.setEchoToStandardOutput(headless);
    dispatcher_.setProgrammeList(&programmeList_);
    // After an unexpected failure nothing new may start while its message is open.
    if (auto* guarded = qobject_cast<GuardedApplication*>(QCoreApplication::instance())) {
        guarded->setBeforeMessage([this] { disableAllProgrammes(); });
    }
    connect(&tickTimer_, &TickTimer::tick, this, [this] { dispatcher_.dispatchTick(); });
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
    timedPage_ = new TimedPage({programmeList_, runs_, dispatcher_, playLog_.rows(), paths_});
    window_->setPage(MainWindow::kTimedTab, timedPage_);
    holidaysPage_ = new HolidaysPage(calendar_, paths_);
    window_->setPage(MainWindow::kHolidaysTab, holidaysPage_);
}

bool Program::initialise(const StartArguments& arguments) {
    if (!headless_) {
        createWindow();
    }
    // Ticks begin once the event loop runs; a message box shown during start-up would run
    // them on the tables loaded so far.
    tickTimer_.start();
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
    log(QStringLiteral("软件启动"));
    loadDataFiles();
    // Loading the decoders takes longer than all of start-up: on a thread of its own, before
    // the first bell needs them (a start opens its player seconds ahead in any case).
    warmUp_.reset(QThread::create(&warmUpAudioEngine));
    warmUp_->start(QThread::LowPriority);
    if (timedPage_ != nullptr) {
        if (isRemoteSession()) {
            timedPage_->showRemoteSessionHint();
        }
    }
    return true;
}

bool Program::checkAudioEngine() {
    if (!backend_.isMediaFrameworkAvailable()) {
        showMessage(
            MessageIcon::Error,
            QStringLiteral("系统环境有问题\n( 无法播放音乐 )\n\n解决方法：\n1. 修复工具 - "
                           "官网>帮助>DirectX修复工具\n2. 技术支持 - 官网>联系我们>QQ/电话等") +
                kHelpOffer);
        return false;
    }
    const QStringList missing = missingDecoderElements();
    if (!missing.isEmpty()) {
        showMessage(
            MessageIcon::Error,
            QStringLiteral("文件有缺失：\n请从官网下载软件重装\n\n缺少的 GStreamer 组件：%1")
                    .arg(missing.join(QStringLiteral(", "))) +
                kHelpOffer);
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
    // The immediate-play playlist comes second; its page is not built yet.
    if (!loadHolidayCalendar(paths_.dataFolder, calendar_, message)) {
        showMessage(MessageIcon::Error, message, holidaysPage_);
    }
    if (holidaysPage_ != nullptr) {
        holidaysPage_->refill();
    }
    if (!loadSystemSettings(paths_.dataFolder, settings_, message)) {
        showMessage(MessageIcon::Error, message);
    }
}

void Program::fadeOutEverything() {
    fadeOutInFiftySteps([this](double fraction) { runs_.scaleAllRuns(fraction); }, kFadeStepMs,
                        clock_);
}

void Program::shutdown(bool sessionEnding) {
    if (shutDown_) {
        return;
    }
    shutDown_ = true;
    if (!sessionEnding) {
        log(QStringLiteral("软件关闭"));
    }
    fadeOutEverything();
    tickTimer_.stop();
    if (window_) {
        if (!window_->isVisible()) {
            window_->tray().remove();
        }
        window_->hide();
    }
    inhibitor_.release();
    emit finished();
}

void Program::disableAllProgrammes() {
    for (Programme& p : programmes_.items()) {
        p.disabled = 1;
    }
    // Shown as disabled; the file keeps them as they were.
    programmeList_.reload();
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
