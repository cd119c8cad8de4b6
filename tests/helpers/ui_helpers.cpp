#include "helpers/ui_helpers.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QThread>
#include <QTimer>
#include <QWidget>
#include <memory>

RecordedMessages::RecordedMessages() {
    setMessagePresenter([this](const MessageRequest& request) {
        shown.append(request);
        if (!request.yesNo) {
            return true;
        }
        return answers.isEmpty() ? false : answers.takeFirst();
    });
}

RecordedMessages::~RecordedMessages() {
    setMessagePresenter(nullptr);
}

QStringList RecordedMessages::texts() const {
    QStringList result;
    for (const MessageRequest& r : shown) {
        result.append(r.text);
    }
    return result;
}

void whenModal(std::function<void(QWidget*)> action) {
    auto* timer = new QTimer();
    auto tries = std::make_shared<int>(0);
    QWidget* before = QApplication::activeModalWidget();
    QObject::connect(timer, &QTimer::timeout, [timer, tries, action, before] {
        QWidget* modal = QApplication::activeModalWidget();
        const bool found = modal != nullptr && modal != before;
        if (!found && ++*tries <= 500) {
            return;
        }
        timer->stop();
        timer->deleteLater();
        if (!found) {
            ADD_FAILURE() << "no dialog opened within 5 s";
            return;
        }
        const bool failedBefore = ::testing::Test::HasFatalFailure();
        action(modal);
        // An assertion that failed inside the action left the dialog open: close it, or its
        // exec() would never return.
        if (!failedBefore && ::testing::Test::HasFatalFailure() && modal->isVisible()) {
            modal->close();
        }
    });
    timer->start(10);
}

void pumpEvents(int milliseconds) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < milliseconds) {
        QApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(2);
    }
}
