#pragma once

#include <QString>

class QDialog;
class QDialogButtonBox;
class QPushButton;

// The buttons at the foot of the program's dialogs: OK (the default, with its own text where
// a dialog names it) and, unless left out, "取消".
QDialogButtonBox* okCancelButtons(QDialog* dialog, const QString& okText = QStringLiteral("确定"),
                                  bool withCancel = true);
// The OK button of such a row.
QPushButton* okButtonOf(const QDialogButtonBox* buttons);
