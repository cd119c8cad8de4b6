#pragma once

#include <QDialog>

class QLineEdit;
class QRadioButton;

// "立即播": how long a start plays, n tracks or n seconds; 0 plays until stopped.
class LimitDialog : public QDialog {
    Q_OBJECT
  public:
    LimitDialog(bool byTracks, int tracks, int seconds, QWidget* parent = nullptr);

    bool byTracks() const { return byTracks_; }
    int tracks() const { return tracks_; }
    int seconds() const { return seconds_; }
    QRadioButton* tracksButton() const { return tracksButton_; }
    QRadioButton* secondsButton() const { return secondsButton_; }
    QLineEdit* tracksEdit() const { return tracksEdit_; }
    QLineEdit* secondsEdit() const { return secondsEdit_; }

    void accept() override;

  private:
    void enableFields();

    QRadioButton* tracksButton_;
    QRadioButton* secondsButton_;
    QLineEdit* tracksEdit_;
    QLineEdit* secondsEdit_;
    bool byTracks_;
    int tracks_;
    int seconds_;
};
