#pragma once

#include <QDialog>

#include "core/settings/system_settings.h"

class OutputDevices;
class QComboBox;
class QRadioButton;
class QTimer;
class TestChime;

// The choice of the program-wide output: the system's default, or one of the outputs by
// name. OK copies a changed name into the settings; the caller saves them either way.
class DeviceDialog : public QDialog {
    Q_OBJECT
  public:
    DeviceDialog(SystemSettings& settings, OutputDevices& devices, QWidget* parent = nullptr);
    ~DeviceDialog() override;

    QRadioButton* defaultButton() const { return defaultButton_; }
    QRadioButton* namedButton() const { return namedButton_; }
    QComboBox* deviceList() const { return list_; }
    TestChime& chime() const { return *chime_; }

    void accept() override;
    // "试听": the chime on the output chosen in the dialog.
    void playChime();

  private:
    // The name the dialog stands for now; empty when a named output is asked for but none
    // is selected.
    QString chosenName() const;
    // Takes in outputs plugged in or removed while the dialog is open.
    void refreshList();
    void updateEnabled();

    SystemSettings& settings_;
    OutputDevices& devices_;
    QRadioButton* defaultButton_;
    QRadioButton* namedButton_;
    QComboBox* list_;
    QTimer* watch_;
    TestChime* chime_;
};
