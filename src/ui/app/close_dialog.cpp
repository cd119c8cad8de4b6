#include "ui/app/close_dialog.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "core/storage/app_paths.h"
#include "ui/widgets/dialog_buttons.h"

CloseDialog::CloseDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(kApplicationTitle);
    auto* layout = new QVBoxLayout(this);
    toTray_ = new QRadioButton(QStringLiteral("最小化到托盘，不退出程序"), this);
    exit_ = new QRadioButton(QStringLiteral("退出程序"), this);
    toTray_->setChecked(true);
    layout->addWidget(toTray_);
    layout->addWidget(exit_);
    layout->addWidget(okCancelButtons(this));
}

bool CloseDialog::exitChosen() const {
    return exit_->isChecked();
}
