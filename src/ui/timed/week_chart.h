#pragma once

#include <QColor>
#include <QFont>
#include <QRectF>
#include <functional>

#include "core/timed/week_plan.h"

class QPainter;
class QPaintDevice;

// The colour of a programme's blocks, the same for its name wherever it is drawn.
QColor programmeColour(const QString& name);

// Draws a week plan: the day titles (date, holiday, adjusted day), the hours, the holidays
// greyed, and a block per start in its programme's colour, hatched when its length is a guess.
// Only what lies in the painted region is drawn, and of blocks that cover one another only the
// ones that show. The view and the printout share it.
class WeekChart {
  public:
    // The font and the device it is drawn on decide the sizes of texts and rows.
    WeekChart(const QFont& font, const QPaintDevice* device);

    // The plan must outlive the chart or be set again.
    void setPlan(const WeekPlan* plan);
    void setArea(const QRectF& area);
    // The body shows the day from `topSecond` on, `pixelsPerSecond` high.
    void setScale(double pixelsPerSecond, double topSecond);
    // Today's title is marked.
    void setToday(const LocalDateTime& today) { today_ = today; }
    void setMaxLanes(int lanes) { maxLanes_ = lanes; }

    double lineHeight() const { return line_; }
    double headerHeight() const { return 3 * line_ + 6 * pad_; }
    double axisWidth() const { return axis_; }
    // Below the titles and right of the hours.
    QRectF body() const;
    double pixelsPerSecond() const { return pixelsPerSecond_; }

    void paint(QPainter& painter, const QRectF& region) const;

    struct Hit {
        int day = -1;
        size_t index = 0;
    };
    // The block drawn under the point; day -1 when there is none.
    Hit blockAt(const QPointF& point) const;
    QRectF blockRect(int day, size_t index) const;

  private:
    void relayout();
    double columnWidth() const;
    double yOf(double second) const;
    // Seconds between two labels of the time axis.
    int labelStep() const;
    void paintTitles(QPainter& painter) const;
    void paintHours(QPainter& painter, const QRectF& region) const;
    void paintHolidays(QPainter& painter, int day) const;
    void paintBlocks(QPainter& painter, int day, double fromSecond, double toSecond) const;
    QRectF blockRectIn(int day, const WeekBlock& block, size_t index) const;
    // Each block of the day that shows between the two seconds, in drawing order.
    void forEachShown(int day, double fromSecond, double toSecond,
                      const std::function<void(size_t index, const QRectF& rect)>& action) const;

    QFont font_;
    QFont bold_;
    const QPaintDevice* device_;
    const WeekPlan* plan_ = nullptr;
    QRectF area_;
    double pixelsPerSecond_ = 0.01;
    double topSecond_ = 0;
    double line_ = 0;
    double pad_ = 0;
    double axis_ = 0;
    int maxLanes_ = 4;
    LocalDateTime today_;
    WeekLanes lanes_;
    // The column width the lanes were laid out for.
    double lanesWidth_ = -1;
};
