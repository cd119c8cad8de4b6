#pragma once

#include <QWidget>

class QLabel;
class QListWidget;
class QPushButton;

// The panel at the left of the main window: the logo, the list of the six tabs, and below them
// the red emergency button, always in sight.
class TabListPanel : public QWidget {
    Q_OBJECT
  public:
    TabListPanel(double dpiScale, QWidget* parent = nullptr);
    QListWidget* list() const { return list_; }
    QPushButton* emergencyButton() const { return emergency_; }
    // "紧急广播", or "停止紧急广播" while the alarm sounds.
    void showEmergency(bool sounding);
    // The list's distance from the panel's left edge; the pages keep the same margin.
    int margin() const;

    static const QStringList& entries();

  signals:
    void currentChanged(int index);
    void emergencyClicked();

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    QLabel* logo_;
    QListWidget* list_;
    QPushButton* emergency_;
};
