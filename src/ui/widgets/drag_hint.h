#pragma once

#include <QObject>
#include <QPoint>

class QAbstractItemView;

// A drag that begins on a row of a list is most likely an attempt to select several rows:
// it shows how that is done instead.
class DragHint : public QObject {
  public:
    // Watches the view; the hint is owned by it.
    static DragHint* install(QAbstractItemView* view);
    static const QString& text();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    explicit DragHint(QAbstractItemView* view);

    QAbstractItemView* view_;
    QObject* viewport_;
    QPoint pressPosition_;
    bool armed_ = false;
};
