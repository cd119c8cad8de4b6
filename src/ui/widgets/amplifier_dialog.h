#pragma once

#include <QDialog>

#include "core/storage/app_paths.h"

// "定时开/关功放机的方法": how schools switch the amplifier on and off on a timer.
class AmplifierDialog : public QDialog {
    Q_OBJECT
  public:
    AmplifierDialog(const AppPaths& paths, QWidget* parent = nullptr);
};
