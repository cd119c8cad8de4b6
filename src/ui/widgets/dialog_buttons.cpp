#include "ui/widgets/dialog_buttons.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QPushButton>

QDialogButtonBox* okCancelButtons(QDialog* dialog, const QString& okText, bool withCancel) {
    auto* buttons = new QDialogButtonBox(dialog);
    buttons->addButton(okText, QDialogButtonBox::AcceptRole)->setDefault(true);
    if (withCancel) {
        buttons->addButton(QStringLiteral("取消"), QDialogButtonBox::RejectRole);
    }
    // accept() is overridden by the dialogs that check their fields.
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, [dialog] { dialog->accept(); });
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return buttons;
}

QPushButton* okButtonOf(const QDialogButtonBox* buttons) {
    for (QAbstractButton* button : buttons->buttons()) {
        if (buttons->buttonRole(button) == QDialogButtonBox::AcceptRole) {
            return qobject_cast<QPushButton*>(button);
        }
    }
    return nullptr;
}
