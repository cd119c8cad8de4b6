#pragma once

#include <QDialog>
#include <QList>
#include <vector>

#include "audio/input_devices.h"
#include "audio/live_route.h"
#include "core/announcement/announcement.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;

// "喊话…": the input (microphones first) with its level, the zones (all at first), and
// "开始喊话" / "结束喊话". Closing the dialog ends the announcement.
class AnnouncementDialog : public QDialog {
    Q_OBJECT
  public:
    AnnouncementDialog(Announcement& announcement, LiveRoute& route,
                       const std::vector<InputDevice>& inputs, QWidget* parent = nullptr);
    ~AnnouncementDialog() override;

    QComboBox* inputList() const { return inputs_; }
    QProgressBar* levelMeter() const { return meter_; }
    const QList<QCheckBox*>& zoneBoxes() const { return zoneBoxes_; }
    QPushButton* startButton() const { return start_; }
    QPushButton* endButton() const { return end_; }
    QLabel* stateLabel() const { return state_; }

    void begin();
    void finish();

  public slots:
    void reject() override;

  private:
    // The chosen input, open for its level only.
    void listen();
    void showState();
    QStringList chosenZones() const;

    Announcement& announcement_;
    LiveRoute& route_;
    QStringList zones_;
    QComboBox* inputs_;
    QProgressBar* meter_;
    QList<QCheckBox*> zoneBoxes_;
    QPushButton* start_;
    QPushButton* end_;
    QLabel* state_;
};
