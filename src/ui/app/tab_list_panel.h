#pragma once

#include <QWidget>

class QLabel;
class QListWidget;

// The panel at the left of the main window: the logo and the list of the six tabs.
class TabListPanel : public QWidget {
    Q_OBJECT
  public:
    TabListPanel(double dpiScale, QWidget* parent = nullptr);
    QListWidget* list() const { return list_; }
    // The list's distance from the panel's left edge; the pages keep the same margin.
    int margin() const;

    static const QStringList& entries();

  signals:
    void currentChanged(int index);

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    QLabel* logo_;
    QListWidget* list_;
};
