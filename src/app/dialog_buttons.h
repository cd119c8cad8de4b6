#pragma once

#include <QString>

class QDialog;
class QDialogButtonBox;

// The buttons at the foot of the program's dialogs: OK (the default, with its own text where
// a dialog names it) and, unless left out, "取消".
QDialogButtonBox* okCancelButtons(QDialog* dialog, const QString& okText = QStringLiteral("确定"),
                                  bool withCancel = true);
