#include "ui/settings/countdown_dialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/storage/app_paths.h"
#include "core/support/messages.h"

CountdownDialog::CountdownDialog(ShutdownScheduler& scheduler, QWidget* parent)
    : QDialog(parent), scheduler_(scheduler) {
    const ShutdownMode mode = scheduler.mode();
    setWindowTitle(kApplicationTitle);
    auto* layout = new QVBoxLayout(this);
    label_ = new QLabel(mode == ShutdownMode::Restart ? QStringLiteral("关机重启倒计时")
                                                      : QStringLiteral("关机倒计时"),
                        this);
    label_->setAlignment(Qt::AlignCenter);
    layout->addWidget(label_);
    number_ = new QLabel(QString::number(scheduler.remaining()), this);
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
    connect(&scheduler, &ShutdownScheduler::countdownStep, this,
            [this](int remaining) { number_->setText(QString::number(remaining)); });
    connect(&scheduler, &ShutdownScheduler::countdownEnded, this,
            [this](bool, const QString& failure) { ended(failure); });
    // Cancel (or Escape) stops the count.
    connect(this, &QDialog::rejected, &scheduler, &ShutdownScheduler::cancel);
}

void CountdownDialog::ended(const QString& failure) {
    if (!isVisible()) {
        return;
    }
    number_->repaint();
    if (!failure.isEmpty()) {
        showMessage(MessageIcon::Error, failure, this);
    }
    accept();
}
