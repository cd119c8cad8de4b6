#pragma once

#include <QAbstractScrollArea>

#include "ui/timed/week_chart.h"

// The week drawn on screen: seven day columns under their titles, the hours down the side.
// The whole day fits the window at first; Ctrl and the mouse wheel zoom, the scroll bar moves
// through the day. A click on a block names its programme.
class WeekView : public QAbstractScrollArea {
    Q_OBJECT
  public:
    explicit WeekView(QWidget* parent = nullptr);

    // The plan changed (or is a new one): it is drawn anew.
    void setPlan(const WeekPlan* plan);
    void setToday(const LocalDateTime& today);
    // Pixels per hour; 0 fits the day into the window.
    void setZoom(double pixelsPerHour);
    double pixelsPerHour() const;
    const WeekChart& chart() const { return chart_; }
    // The programme row of the block under the point (viewport coordinates), or -1.
    int programmeAt(const QPoint& point) const;

  signals:
    void programmeClicked(int row);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

  private:
    void layoutChart();
    double fitPixelsPerHour() const;
    QString toolTipAt(const QPoint& point) const;

    const WeekPlan* plan_ = nullptr;
    WeekChart chart_;
    double zoom_ = 0;  // pixels per hour, 0 to fit
    int pressedRow_ = -1;
};
