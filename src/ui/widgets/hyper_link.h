#pragma once

#include <QLabel>

// A text that looks like a web link: blue-violet, underlined, hand cursor. A click opens its
// target, if it has one, and is always reported to the page.
class HyperLink : public QLabel {
    Q_OBJECT
  public:
    explicit HyperLink(const QString& text = QString(), QWidget* parent = nullptr);
    void setLink(const QString& text, const QString& target);
    QString target() const { return target_; }

  signals:
    void clicked();

  protected:
    void mousePressEvent(QMouseEvent* event) override;

  private:
    QString target_;
};
