#include "app/close_dialog.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/app_paths.h"

CloseDialog::CloseDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(kApplicationTitle);
    auto* layout = new QVBoxLayout(this);
    toTray_ = new QRadioButton(QStringLiteral("最小化到托盘，不退出程序"), this);
    exit_ = new QRadioButton(QStringLiteral("退出程序"), this);
    toTray_->setChecked(true);
    layout->addWidget(toTray_);
    layout->addWidget(exit_);
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(QStringLiteral("确定"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("取消"), QDialogButtonBox::RejectRole);
    ok->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

bool CloseDialog::exitChosen() const {
    return exit_->isChecked();
}
