#include "ui/immediate/limit_dialog.h"
#include "ui/widgets/hint_texts.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

#include "core/support/field_checks.h"
#include "core/support/messages.h"
#include "ui/widgets/dialog_buttons.h"
#include "ui/widgets/editor_hints.h"
#include "ui/widgets/hint_link.h"

namespace {}  // namespace

LimitDialog::LimitDialog(bool byTracks, int tracks, int seconds, QWidget* parent)
    : QDialog(parent), byTracks_(byTracks), tracks_(tracks), seconds_(seconds) {
    setWindowTitle(QStringLiteral("立即播"));
    auto* layout = new QGridLayout(this);
    tracksButton_ = new QRadioButton(QStringLiteral("播 n 首"), this);
    secondsButton_ = new QRadioButton(QStringLiteral("播 n 秒"), this);
    auto* group = new QButtonGroup(this);
    group->addButton(tracksButton_);
    group->addButton(secondsButton_);
    tracksEdit_ = new QLineEdit(QString::number(tracks), this);
    secondsEdit_ = new QLineEdit(QString::number(seconds), this);
    tracksEdit_->setObjectName(QStringLiteral("tracksEdit"));
    secondsEdit_->setObjectName(QStringLiteral("secondsEdit"));
    layout->addWidget(tracksButton_, 0, 0);
    layout->addWidget(tracksEdit_, 0, 1);
    layout->addWidget(new QLabel(QStringLiteral("单曲时, 指 n 遍"), this), 0, 2);
    layout->addWidget(secondsButton_, 1, 0);
    layout->addWidget(secondsEdit_, 1, 1);
    layout->addWidget(new QLabel(QStringLiteral("3600秒 = 1小时"), this), 1, 2);
    layout->addWidget(new QLabel(QStringLiteral("0 表示一直播, 直到手动停止"), this), 2, 0, 1, 3);
    layout->addWidget(new QLabel(QStringLiteral("音频输出:"), this), 3, 0);
    layout->addWidget(
        makeHintLink(QStringLiteral("选音频输出设备、多路分区"), EditorHints::outputDevice(), this),
        3, 1, 1, 2);
    layout->addWidget(
        new QLabel(QStringLiteral("立即播播出时, 定时播会降低音量或静音 (设置栏)"), this), 4, 0, 1,
        3);
    layout->addWidget(makeHintLink(QStringLiteral("关于末尾淡出"), limitFadeHint(), this), 5, 0);
    layout->addWidget(okCancelButtons(this), 6, 0, 1, 3);
    (byTracks ? tracksButton_ : secondsButton_)->setChecked(true);
    connect(tracksButton_, &QRadioButton::toggled, this, &LimitDialog::enableFields);
    enableFields();
}

void LimitDialog::enableFields() {
    const bool byTracks = tracksButton_->isChecked();
    tracksEdit_->setEnabled(byTracks);
    secondsEdit_->setEnabled(!byTracks);
    QLineEdit* active = byTracks ? tracksEdit_ : secondsEdit_;
    active->setFocus();
    active->selectAll();
}

void LimitDialog::accept() {
    byTracks_ = tracksButton_->isChecked();
    QLineEdit* field = byTracks_ ? tracksEdit_ : secondsEdit_;
    const std::optional<qint64> value = checkIntegerField(field->text(), {false, 0, std::nullopt});
    if (!value || *value > INT32_MAX) {
        showMessage(
            MessageIcon::Warning,
            byTracks_ ? QStringLiteral("播 n 首，输入无效") : QStringLiteral("播 n 秒，输入无效"),
            this);
        field->setFocus();
        field->selectAll();
        return;
    }
    (byTracks_ ? tracks_ : seconds_) = static_cast<int>(*value);
    QDialog::accept();
}
