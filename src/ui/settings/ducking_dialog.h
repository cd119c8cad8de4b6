#pragma once

#include <QDialog>

#include "core/settings/system_settings.h"

class QLabel;
class QLineEdit;
class QSlider;

// "音量降低": how far timed play is lowered while immediate play plays, and how fast it
// glides down and back up. The dialog only checks; the caller stores what changed.
class DuckingDialog : public QDialog {
    Q_OBJECT
  public:
    DuckingDialog(const SystemSettings& settings, QWidget* parent = nullptr);

    QLineEdit* percentEdit() const { return percent_; }
    QSlider* fadeOutSlider() const { return fadeOut_; }
    QSlider* fadeInSlider() const { return fadeIn_; }

    // The values after OK.
    int duckPercent() const { return percentValue_; }
    int fadeOutSeconds() const;
    int fadeInSeconds() const;

    void accept() override;
    // "恢复默认": the first-run values go into the controls; nothing is stored yet.
    void restoreDefaults();

  private:
    QSlider* addSlider(const QString& label, int lower, int upper, int value, int row);

    QLineEdit* percent_;
    QSlider* fadeOut_;
    QSlider* fadeIn_;
    int percentValue_;
};
