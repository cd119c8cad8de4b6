#include "ui/timed/manual_play_dialog.h"
#include "ui/widgets/hint_texts.h"

#include <QDialogButtonBox>

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include "ui/widgets/dialog_buttons.h"

#include "core/support/field_checks.h"
#include "core/support/messages.h"
#include "ui/widgets/hint_link.h"

namespace {}  // namespace

ManualPlayDialog::ManualPlayDialog(const Programme& programme, QWidget* parent)
    : QDialog(parent), byTracks_(programme.countByTracks != 0) {
    setWindowTitle(QStringLiteral("立即播此节目"));
    auto* layout = new QGridLayout(this);
    auto* name = new QLabel(programmeName(programme), this);
    QFont bold = name->font();
    bold.setBold(true);
    name->setFont(bold);
    layout->addWidget(name, 0, 0, 1, 3);
    layout->addWidget(
        new QLabel(byTracks_ ? QStringLiteral("播 n 首:") : QStringLiteral("播 n 秒:"), this), 1,
        0);
    edit_ = new QLineEdit(
        QString::number(byTracks_ ? programme.trackCount : programme.secondsCount), this);
    edit_->setObjectName(QStringLiteral("countEdit"));
    layout->addWidget(edit_, 1, 1);
    layout->addWidget(
        new QLabel(byTracks_ ? QStringLiteral("单曲时, 指 n 遍") : QStringLiteral("3600秒 = 1小时"),
                   this),
        1, 2);
    if (!byTracks_) {
        layout->addWidget(makeHintLink(QStringLiteral("关于末尾淡出"), limitFadeHint(), this), 2,
                          2);
    }
    QDialogButtonBox* buttons = okCancelButtons(this);
    layout->addWidget(buttons, 3, 0, 1, 3);
    edit_->setFocus();
    edit_->selectAll();
}

void ManualPlayDialog::accept() {
    const std::optional<qint64> value = checkIntegerField(edit_->text(), {false, 1, std::nullopt});
    if (!value || *value > INT32_MAX) {
        showMessage(
            MessageIcon::Warning,
            byTracks_ ? QStringLiteral("播 n 首，输入无效") : QStringLiteral("播 n 秒，输入无效"),
            this);
        edit_->setFocus();
        edit_->selectAll();
        return;
    }
    count_ = static_cast<int>(*value);
    QDialog::accept();
}
