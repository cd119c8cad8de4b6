#pragma once

#include <QDialog>

class QRadioButton;

// Asked when the main window is closed: hide it in the tray (the default) or exit.
class CloseDialog : public QDialog {
    Q_OBJECT
  public:
    explicit CloseDialog(QWidget* parent = nullptr);
    bool exitChosen() const;

  private:
    QRadioButton* toTray_;
    QRadioButton* exit_;
};
