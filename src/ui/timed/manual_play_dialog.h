#pragma once

#include <QDialog>

#include "core/timed/programme.h"

class QLineEdit;

// "立即播此节目": how many passes, tracks or seconds to play now.
class ManualPlayDialog : public QDialog {
    Q_OBJECT
  public:
    ManualPlayDialog(const Programme& programme, QWidget* parent = nullptr);
    int count() const { return count_; }
    QLineEdit* countEdit() const { return edit_; }

    void accept() override;

  private:
    bool byTracks_;
    QLineEdit* edit_;
    int count_ = 0;
};
