#pragma once

#include <QObject>
#include <QPoint>

class QAbstractItemView;

// Texts that more than one page shows.
QString dragSelectionHint();
QString remoteSessionHint();

// A drag over a list's rows is most likely an attempt to select several: the first such drag
// after a press on a row shows how to do it instead.
class DragHintFilter : public QObject {
    Q_OBJECT
  public:
    // Watches the view's viewport; the hint's owner is `owner`.
    DragHintFilter(QAbstractItemView* view, QWidget* owner);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QAbstractItemView* view_;
    QWidget* owner_;
    QPoint pressed_;
    bool shown_ = true;
};
