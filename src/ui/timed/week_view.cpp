#include "ui/timed/week_view.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QToolTip>
#include <QWheelEvent>

#include "core/support/date_text.h"

namespace {

// Each hour has room for two labels at least; zooming stops at one pixel per five seconds.
constexpr double kMinimumHourLines = 2;
constexpr double kMaximumPixelsPerHour = 720;
constexpr double kZoomStep = 1.25;

}  // namespace

WeekView::WeekView(QWidget* parent) : QAbstractScrollArea(parent), chart_(font(), this) {
    setObjectName(QStringLiteral("weekView"));
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    viewport()->setMouseTracking(true);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
}

void WeekView::setPlan(const WeekPlan* plan) {
    plan_ = plan;
    chart_.setPlan(plan);
    layoutChart();
    viewport()->update();
}

void WeekView::setToday(const LocalDateTime& today) {
    chart_.setToday(today);
    viewport()->update();
}

void WeekView::setZoom(double pixelsPerHour) {
    zoom_ = pixelsPerHour;
    layoutChart();
    viewport()->update();
}

double WeekView::fitPixelsPerHour() const {
    if (plan_ == nullptr) {
        return kMinimumHourLines * chart_.lineHeight();
    }
    const double hours = (plan_->axisTo - plan_->axisFrom) / 3600.0;
    // A line below the last hour: the label of a start just before it.
    const double height = viewport()->height() - chart_.headerHeight() - chart_.lineHeight();
    return std::max(kMinimumHourLines * chart_.lineHeight(), height / hours);
}

double WeekView::pixelsPerHour() const {
    return zoom_ > 0 ? std::clamp(zoom_, fitPixelsPerHour(), kMaximumPixelsPerHour)
                     : fitPixelsPerHour();
}

void WeekView::layoutChart() {
    chart_.setArea(QRectF(viewport()->rect()));
    const double perHour = pixelsPerHour();
    const int axisFrom = plan_ != nullptr ? plan_->axisFrom : 0;
    const int axisTo = plan_ != nullptr ? plan_->axisTo : kSecondsPerDay;
    const double total = (axisTo - axisFrom) / 3600.0 * perHour + chart_.lineHeight();
    const int visible = std::max(0, static_cast<int>(viewport()->height() - chart_.headerHeight()));
    QScrollBar* bar = verticalScrollBar();
    bar->setRange(0, std::max(0, static_cast<int>(std::ceil(total)) - visible));
    bar->setPageStep(visible);
    bar->setSingleStep(static_cast<int>(chart_.lineHeight()));
    chart_.setScale(perHour / 3600, axisFrom + bar->value() / (perHour / 3600));
}

void WeekView::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    chart_.paint(painter, QRectF(event->rect()));
}

void WeekView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    layoutChart();
}

void WeekView::scrollContentsBy(int, int) {
    layoutChart();
    viewport()->update();
}

void WeekView::wheelEvent(QWheelEvent* event) {
    if (!(event->modifiers() & Qt::ControlModifier) || plan_ == nullptr) {
        QAbstractScrollArea::wheelEvent(event);
        return;
    }
    // The moment under the mouse stays where it is.
    const double y = event->position().y() - chart_.body().top();
    const double perSecond = chart_.pixelsPerSecond();
    const double second = plan_->axisFrom + (verticalScrollBar()->value() + y) / perSecond;
    const double factor = event->angleDelta().y() > 0 ? kZoomStep : 1 / kZoomStep;
    zoom_ = std::clamp(pixelsPerHour() * factor, fitPixelsPerHour(), kMaximumPixelsPerHour);
    layoutChart();
    const double newPerSecond = zoom_ / 3600;
    verticalScrollBar()->setValue(static_cast<int>((second - plan_->axisFrom) * newPerSecond - y));
    layoutChart();
    viewport()->update();
    event->accept();
}

int WeekView::programmeAt(const QPoint& point) const {
    const WeekChart::Hit hit = chart_.blockAt(QPointF(point));
    if (hit.day < 0) {
        return -1;
    }
    return plan_->days[static_cast<size_t>(hit.day)].blocks[hit.index].programme;
}

void WeekView::mousePressEvent(QMouseEvent* event) {
    pressedRow_ = event->button() == Qt::LeftButton ? programmeAt(event->position().toPoint()) : -1;
    QAbstractScrollArea::mousePressEvent(event);
}

void WeekView::mouseReleaseEvent(QMouseEvent* event) {
    const int row =
        event->button() == Qt::LeftButton ? programmeAt(event->position().toPoint()) : -1;
    const bool clicked = row >= 0 && row == pressedRow_;
    pressedRow_ = -1;
    QAbstractScrollArea::mouseReleaseEvent(event);
    if (clicked) {
        emit programmeClicked(row);
    }
}

void WeekView::mouseMoveEvent(QMouseEvent* event) {
    viewport()->setCursor(programmeAt(event->position().toPoint()) >= 0 ? Qt::PointingHandCursor
                                                                        : Qt::ArrowCursor);
    QAbstractScrollArea::mouseMoveEvent(event);
}

QString WeekView::toolTipAt(const QPoint& point) const {
    const WeekChart::Hit hit = chart_.blockAt(QPointF(point));
    if (hit.day < 0) {
        return QString();
    }
    const WeekBlock& b = plan_->days[static_cast<size_t>(hit.day)].blocks[hit.index];
    const WeekProgramme& p = plan_->programmes[static_cast<size_t>(b.programme)];
    auto clock = [](int second) {
        return formatClockTime({second / 3600, second / 60 % 60, second % 60});
    };
    QString text = p.name + u'\n' + QStringLiteral("开始 ") + clock(b.startSecond);
    if (b.dueSecond != b.startSecond) {
        text += QStringLiteral("，%1 起播").arg(clock(b.dueSecond));
    }
    text +=
        QStringLiteral("\n时长 %1%2")
            .arg(p.estimated ? QStringLiteral("约 ") : QString(), formatMinSec(p.seconds * 1000));
    if (!p.path.isEmpty()) {
        text += u'\n' + p.path;
    }
    return text;
}

bool WeekView::viewportEvent(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const QString text = toolTipAt(help->pos());
        if (text.isEmpty()) {
            QToolTip::hideText();
        } else {
            QToolTip::showText(help->globalPos(), text, viewport());
        }
        return true;
    }
    return QAbstractScrollArea::viewportEvent(event);
}
