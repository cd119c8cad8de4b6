#include "ui/settings/countdown_dialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "core/storage/app_paths.h"
#include "core/support/messages.h"

CountdownDialog::CountdownDialog(ShutdownMode mode, SystemPower& power, int stepMs, QWidget* parent)
    : QDialog(parent), mode_(mode), power_(power) {
    setWindowTitle(kApplicationTitle);
    auto* layout = new QVBoxLayout(this);
    label_ = new QLabel(mode == ShutdownMode::Restart ? QStringLiteral("关机重启倒计时")
                                                      : QStringLiteral("关机倒计时"),
                        this);
    label_->setAlignment(Qt::AlignCenter);
    layout->addWidget(label_);
    number_ = new QLabel(QString::number(remaining_), this);
    number_->setObjectName(QStringLiteral("countdownNumber"));
    number_->setAlignment(Qt::AlignCenter);
    QFont digits(QStringLiteral("宋体"));
    digits.setPixelSize(60);
    digits.setWeight(QFont::Medium);
    number_->setFont(digits);
    QPalette red = number_->palette();
    red.setColor(QPalette::WindowText, QColor(250, 0, 0));
    number_->setPalette(red);
    number_->setMinimumWidth(200);
    layout->addSpacing(5);
    layout->addWidget(number_);
    layout->addSpacing(10);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("取消"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons, 0, Qt::AlignHCenter);
    timer_ = new QTimer(this);
    timer_->setTimerType(Qt::PreciseTimer);
    connect(timer_, &QTimer::timeout, this, &CountdownDialog::step);
    // Cancel (or Escape) stops the count: the timer dies with the dialog's loop.
    connect(this, &QDialog::rejected, timer_, &QTimer::stop);
    timer_->start(stepMs);
}

void CountdownDialog::step() {
    if (remaining_ > 0) {
        --remaining_;
        number_->setText(QString::number(remaining_));
    }
    if (remaining_ > 0) {
        return;
    }
    timer_->stop();
    number_->repaint();
    QString message;
    goingDown_ = shutdownOrRestart(mode_, power_, message);
    if (!goingDown_) {
        showMessage(MessageIcon::Error, message, this);
    }
    accept();
}
