#pragma once

#include <QDialog>

// "定时开/关功放机的方法": how schools switch the amplifier on and off on a timer.
class AmplifierDialog : public QDialog {
    Q_OBJECT
  public:
    AmplifierDialog(const QString& resourceFolder, QWidget* parent = nullptr);
};
