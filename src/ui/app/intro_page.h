#pragma once

#include <QWidget>

class QLabel;
class QTextBrowser;

// The introduction page: a banner, "为何选我:" and the program's welcome page.
class IntroPage : public QWidget {
    Q_OBJECT
  public:
    IntroPage(const QString& welcomePage, double dpiScale, QWidget* parent = nullptr);
    QTextBrowser* view() const { return view_; }

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    QLabel* banner_;
    QLabel* caption_;
    QTextBrowser* view_;
};
