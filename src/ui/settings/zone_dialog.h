#pragma once

#include <QDialog>
#include <functional>

#include "core/zones/zone_setup.h"

class OutputDevices;
class QComboBox;
class QLineEdit;
class TestChime;

// "分区": a new zone or a zone to change, its name and its output device (one of the outputs
// the device dialog lists), with the same test sound. OK asks `problemWith` about the zone as
// it would stand in the list; a problem is shown and the field concerned gets the focus.
class ZoneDialog : public QDialog {
    Q_OBJECT
  public:
    using ProblemCheck = std::function<QString(const Zone&)>;
    ZoneDialog(const Zone& zone, OutputDevices& devices, ProblemCheck problemWith,
               QWidget* parent = nullptr);
    ~ZoneDialog() override;

    Zone zone() const;
    QLineEdit* nameEdit() const { return name_; }
    QComboBox* deviceList() const { return list_; }
    TestChime& chime() const { return *chime_; }

    void accept() override;
    // "试听": the chime on the output chosen.
    void playChime();

  private:
    OutputDevices& devices_;
    ProblemCheck problemWith_;
    QLineEdit* name_;
    QComboBox* list_;
    TestChime* chime_;
};
