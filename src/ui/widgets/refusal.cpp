#include "ui/widgets/refusal.h"

#include <QAbstractSpinBox>
#include <QLineEdit>

void refuseInput(QWidget* owner, MessageIcon icon, const QString& text, QWidget* field) {
    showMessage(icon, text, owner);
    if (field == nullptr) {
        return;
    }
    field->setFocus(Qt::OtherFocusReason);
    if (auto* edit = qobject_cast<QLineEdit*>(field)) {
        edit->selectAll();
    } else if (auto* spin = qobject_cast<QAbstractSpinBox*>(field)) {
        spin->selectAll();
    }
}
