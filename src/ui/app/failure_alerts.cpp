#include "ui/app/failure_alerts.h"

#include <QEvent>
#include <QWidget>
#include <cstdio>

#include "core/support/date_text.h"
#include "platform/desktop_notifications.h"
#include "ui/app/tray_area.h"

FailureAlerts::FailureAlerts(DesktopNotifications& notifications, const Clock& clock,
                             QObject* parent)
    : QObject(parent), notifications_(notifications), clock_(clock) {
    connect(&notifications_, &DesktopNotifications::failed, this, &FailureAlerts::fallBack);
}

void FailureAlerts::setWindow(QWidget* window, TrayArea* tray) {
    window_ = window;
    tray_ = tray;
    if (window_ != nullptr) {
        window_->installEventFilter(this);
    }
}

bool FailureAlerts::eventFilter(QObject* watched, QEvent* event) {
    if (watched == window_ && tray_ != nullptr &&
        (event->type() == QEvent::Show || event->type() == QEvent::WindowActivate)) {
        tray_->setWarning(false);
    }
    return QObject::eventFilter(watched, event);
}

void FailureAlerts::problemsFound(const std::vector<StartProblem>& problems) {
    const LocalDateTime today = clock_.now();
    QSet<QString> now;
    for (const StartProblem& p : problems) {
        // One notice per programme and problem (per problem for the device), naming the
        // first start it concerns.
        const QString key = p.name.toCaseFolded() + u'\n' + p.problem;
        if (now.contains(key)) {
            continue;
        }
        now.insert(key);
        if (told_.contains(key)) {
            continue;
        }
        const QString time = formatStartFrom(p.start, today);
        if (p.name.isEmpty()) {
            notify(QStringLiteral("定时播: 音频输出设备有问题"),
                   QStringLiteral("%1 起的节目将无法播放\n%2").arg(time, p.problem), false);
        } else {
            notify(QStringLiteral("定时播: 节目将无法播放"),
                   QStringLiteral("%1  %2\n%3").arg(time, p.name, p.problem), false);
        }
    }
    // A problem that went away is told again should it come back.
    told_ = now;
}

void FailureAlerts::runReported(const ActiveRun& run, RunTextKind kind, const QString& reason) {
    if (kind != RunTextKind::Failed && kind != RunTextKind::TrackFailed) {
        return;
    }
    const QString text = run.label() + QStringLiteral(" ◆ ") + reason;
    notify(RunTexts::isDeviceProblem(text) ? QStringLiteral("定时播: 音频设备失效")
                                           : QStringLiteral("定时播: 播放失败"),
           text, true);
    if (tray_ != nullptr && (window_ == nullptr || !window_->isActiveWindow())) {
        tray_->setWarning(true);
    }
}

void FailureAlerts::notify(const QString& summary, const QString& body, bool urgent) {
    notifications_.notify(summary, body, urgent);
}

void FailureAlerts::fallBack(const QString& summary, const QString& body) {
    if (tray_ != nullptr && tray_->showMessage(summary, body)) {
        return;
    }
    std::fprintf(stderr, "%s\n%s\n", summary.toUtf8().constData(), body.toUtf8().constData());
    std::fflush(stderr);
}
