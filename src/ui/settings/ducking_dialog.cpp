#include "ui/settings/ducking_dialog.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>

#include "core/support/field_checks.h"
#include "core/support/messages.h"
#include "ui/widgets/dialog_buttons.h"

DuckingDialog::DuckingDialog(const SystemSettings& settings, QWidget* parent)
    : QDialog(parent), percentValue_(settings.duckPercent) {
    setWindowTitle(QStringLiteral("音量降低"));
    auto* layout = new QGridLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("立即播播出时,定时播\n音量降低:"), this), 0, 0);
    percent_ = new QLineEdit(QString::number(settings.duckPercent), this);
    percent_->setObjectName(QStringLiteral("duckPercent"));
    percent_->setMaxLength(8);
    layout->addWidget(percent_, 0, 1);
    layout->addWidget(new QLabel(QStringLiteral("% (25-100)"), this), 0, 2);
    layout->addWidget(new QLabel(QStringLiteral("降低 100% 表示静音"), this), 1, 1, 1, 2);
    fadeOut_ = addSlider(QStringLiteral("定时播 淡出时长:"), 1, 10, settings.duckFadeOutSeconds, 2);
    fadeIn_ = addSlider(QStringLiteral("定时播 淡入时长:"), 2, 16, settings.duckFadeInSeconds, 3);
    QDialogButtonBox* buttons = okCancelButtons(this);
    QPushButton* defaults =
        buttons->addButton(QStringLiteral("恢复默认"), QDialogButtonBox::ResetRole);
    connect(defaults, &QPushButton::clicked, this, &DuckingDialog::restoreDefaults);
    layout->addWidget(buttons, 4, 0, 1, 3);
}

QSlider* DuckingDialog::addSlider(const QString& label, int lower, int upper, int value, int row) {
    auto* layout = static_cast<QGridLayout*>(this->layout());
    layout->addWidget(new QLabel(label, this), row, 0);
    auto* slider = new QSlider(Qt::Horizontal, this);
    slider->setRange(lower, upper);
    slider->setPageStep(1);
    slider->setTickPosition(QSlider::TicksBelow);
    slider->setValue(value);
    layout->addWidget(slider, row, 1);
    // The seconds, so the caretaker sees what the position means.
    auto* seconds = new QLabel(this);
    const auto show = [seconds](int v) { seconds->setText(QStringLiteral("%1 秒").arg(v)); };
    show(slider->value());
    connect(slider, &QSlider::valueChanged, seconds, show);
    layout->addWidget(seconds, row, 2);
    return slider;
}

int DuckingDialog::fadeOutSeconds() const {
    return fadeOut_->value();
}

int DuckingDialog::fadeInSeconds() const {
    return fadeIn_->value();
}

void DuckingDialog::restoreDefaults() {
    const SystemSettings defaults = firstRunSettings();
    percent_->setText(QString::number(defaults.duckPercent));
    fadeOut_->setValue(defaults.duckFadeOutSeconds);
    fadeIn_->setValue(defaults.duckFadeInSeconds);
}

void DuckingDialog::accept() {
    const std::optional<qint64> percent = checkIntegerField(percent_->text(), {false, 25, 100});
    if (!percent) {
        showMessage(MessageIcon::Warning, QStringLiteral("音量降低百分比，输入无效"), this);
        percent_->setFocus();
        percent_->selectAll();
        return;
    }
    percentValue_ = static_cast<int>(*percent);
    QDialog::accept();
}
