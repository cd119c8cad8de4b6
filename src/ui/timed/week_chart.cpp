#include "ui/timed/week_chart.h"

#include <QFontMetricsF>
#include <QPainter>
#include <cmath>
#include <cstdint>

#include "core/support/date_text.h"

namespace {

const QColor kTitleBackground(0xf2, 0xf2, 0xf2);
const QColor kTodayBackground(0xff, 0xf1, 0xc4);
const QColor kHolidayBackground(0xdd, 0xdd, 0xdd);
const QColor kHolidayText(0x60, 0x60, 0x60);
const QColor kAdjustedText(0x1c, 0x3c, 0xb4);
const QColor kGrid(0xd0, 0xd0, 0xd0);
// A lane narrower than this many text lines cannot show a label.
constexpr double kLaneLines = 4.5;

// "08:00", or "08:00:30" when the start is not on the minute.
QString startText(int second) {
    const ClockTime t{second / 3600, second / 60 % 60, second % 60};
    return t.second == 0 ? QString::asprintf("%.2d:%.2d", t.hour, t.minute) : formatClockTime(t);
}

}  // namespace

QColor programmeColour(const QString& name) {
    // FNV-1a of the name as it compares: the same name always has the same colour.
    quint32 hash = 2166136261u;
    for (const QChar c : name.toCaseFolded()) {
        hash = (hash ^ c.unicode()) * 16777619u;
    }
    return QColor::fromHsv(static_cast<int>(hash % 360), 80 + static_cast<int>(hash / 360 % 40),
                           245);
}

WeekChart::WeekChart(const QFont& font, const QPaintDevice* device)
    : font_(font, device), bold_(font_), device_(device) {
    bold_.setBold(true);
    const QFontMetricsF metrics(font_, device_);
    line_ = metrics.height();
    pad_ = std::max(1.0, line_ / 8);
    axis_ = metrics.horizontalAdvance(QStringLiteral("00:00")) + 3 * pad_;
}

void WeekChart::setPlan(const WeekPlan* plan) {
    plan_ = plan;
    relayout();
}

void WeekChart::setArea(const QRectF& area) {
    area_ = area;
    if (columnWidth() != lanesWidth_) {
        relayout();
    }
}

void WeekChart::setScale(double pixelsPerSecond, double topSecond) {
    topSecond_ = topSecond;
    if (pixelsPerSecond != pixelsPerSecond_) {
        pixelsPerSecond_ = pixelsPerSecond;
        relayout();
    }
}

void WeekChart::relayout() {
    lanesWidth_ = columnWidth();
    if (plan_ == nullptr) {
        lanes_ = WeekLanes();
        return;
    }
    // A block has room for one line of label at least.
    const int minimumSeconds = static_cast<int>(std::ceil(line_ / pixelsPerSecond_));
    const int fitting = static_cast<int>((lanesWidth_ - 2 * pad_) / (kLaneLines * line_));
    lanes_ = layoutWeek(*plan_, minimumSeconds, std::clamp(fitting, 1, maxLanes_));
}

double WeekChart::columnWidth() const {
    return std::max(0.0, (area_.width() - axis_) / 7);
}

QRectF WeekChart::body() const {
    return QRectF(area_.left() + axis_, area_.top() + headerHeight(), columnWidth() * 7,
                  std::max(0.0, area_.height() - headerHeight()));
}

double WeekChart::yOf(double second) const {
    return body().top() + (second - topSecond_) * pixelsPerSecond_;
}

void WeekChart::paint(QPainter& painter, const QRectF& region) const {
    painter.save();
    painter.setClipRect(region.intersected(area_));
    painter.fillRect(area_, Qt::white);
    const QRectF b = body();
    if (plan_ != nullptr && b.height() > 0) {
        painter.save();
        painter.setClipRect(region.intersected(b));
        for (int day = 0; day < 7; ++day) {
            paintHolidays(painter, day);
        }
        paintHours(painter, region);
        const double from =
            topSecond_ + (std::max(region.top(), b.top()) - b.top()) / pixelsPerSecond_;
        const double to =
            topSecond_ + (std::min(region.bottom(), b.bottom()) - b.top()) / pixelsPerSecond_;
        for (int day = 0; day < 7; ++day) {
            paintBlocks(painter, day, from, to);
        }
        painter.restore();
    }
    // The hours' labels and the titles stay in place above and beside the body.
    if (plan_ != nullptr) {
        painter.save();
        painter.setClipRect(region.intersected(
            QRectF(area_.left(), b.top() - line_ / 2, axis_, b.height() + line_ / 2)));
        painter.setFont(font_);
        painter.setPen(Qt::black);
        const int step = labelStep();
        const int first = static_cast<int>(std::ceil(topSecond_ / step)) * step;
        for (int second = std::max(first, plan_->axisFrom); second <= plan_->axisTo;
             second += step) {
            const double y = yOf(second);
            if (y > b.bottom() + 0.5) {
                break;
            }
            // The first and last labels stay inside the body.
            const double top = std::clamp(y - line_ / 2, b.top(), b.bottom() - line_);
            painter.drawText(QRectF(area_.left(), top, axis_ - 2 * pad_, line_),
                             Qt::AlignRight | Qt::AlignVCenter,
                             QString::asprintf("%.2d:%.2d", second / 3600, second / 60 % 60));
        }
        painter.restore();
        paintTitles(painter);
    }
    painter.setPen(QPen(kGrid, 0));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRectF(b.left(), area_.top(), b.width(), area_.height()));
    painter.restore();
}

void WeekChart::paintTitles(QPainter& painter) const {
    const double width = columnWidth();
    const QRectF b = body();
    const bool dated = today_.year != 0;
    for (int d = 0; d < 7; ++d) {
        const WeekDay& day = plan_->days[static_cast<size_t>(d)];
        const QRectF cell(b.left() + d * width, area_.top(), width, headerHeight());
        const bool wholeHoliday = !day.holidays.empty() && day.holidays.front().fromSecond == 0 &&
                                  day.holidays.front().toSecond == kSecondsPerDay;
        painter.fillRect(cell, dated && sameDate(today_, day.date) ? kTodayBackground
                               : wholeHoliday                      ? kHolidayBackground
                                                                   : kTitleBackground);
        painter.setPen(QPen(kGrid, 0));
        painter.drawLine(cell.topLeft(), QPointF(cell.left(), area_.bottom()));
        QRectF text = cell.adjusted(2 * pad_, pad_, -2 * pad_, 0);
        text.setHeight(line_);
        const QFontMetricsF boldMetrics(bold_, device_);
        const QFontMetricsF metrics(font_, device_);
        painter.setFont(bold_);
        painter.setPen(Qt::black);
        const QString title =
            weekdayText(day.date) + QString::asprintf(" %.2d-%.2d", day.date.month, day.date.day);
        painter.drawText(text, Qt::AlignHCenter | Qt::AlignVCenter,
                         boldMetrics.elidedText(title, Qt::ElideRight, text.width()));
        painter.setFont(font_);
        QStringList notes;
        for (const HolidaySpan& h : day.holidays) {
            notes.append(h.name);
        }
        const QString adjusted = adjustedDayText(day);
        for (const QString& note : {adjusted, notes.join(QStringLiteral("、"))}) {
            if (note.isEmpty()) {
                continue;
            }
            text.translate(0, line_ + pad_);
            painter.setPen(note == adjusted ? kAdjustedText : kHolidayText);
            painter.drawText(text, Qt::AlignHCenter | Qt::AlignVCenter,
                             metrics.elidedText(note, Qt::ElideRight, text.width()));
        }
    }
    painter.setPen(QPen(kGrid, 0));
    painter.drawLine(QPointF(area_.left(), b.top()), QPointF(b.right(), b.top()));
}

int WeekChart::labelStep() const {
    // From five minutes to half a day, as the zoom leaves room for a label.
    int step = 0;
    for (const int minutes : {5, 10, 15, 30, 60, 120, 180, 360, 720}) {
        step = minutes * 60;
        if (step * pixelsPerSecond_ >= 1.6 * line_) {
            break;
        }
    }
    return step;
}

void WeekChart::paintHours(QPainter& painter, const QRectF& region) const {
    const QRectF b = body();
    // A line at each label; dotted between the hours.
    const int step = std::min(labelStep(), 3600);
    const int first = static_cast<int>(std::floor(topSecond_ / step)) * step;
    for (int s = std::max(first, 0); s <= kSecondsPerDay; s += step) {
        const double y = yOf(s);
        if (y > region.bottom() || y > b.bottom()) {
            break;
        }
        if (y < region.top()) {
            continue;
        }
        painter.setPen(QPen(kGrid, 0, s % 3600 == 0 ? Qt::SolidLine : Qt::DotLine));
        painter.drawLine(QPointF(b.left(), y), QPointF(b.right(), y));
    }
    painter.setPen(QPen(kGrid, 0));
    for (int d = 1; d < 7; ++d) {
        const double x = b.left() + d * columnWidth();
        painter.drawLine(QPointF(x, b.top()), QPointF(x, b.bottom()));
    }
}

void WeekChart::paintHolidays(QPainter& painter, int d) const {
    const WeekDay& day = plan_->days[static_cast<size_t>(d)];
    const QRectF b = body();
    const double left = b.left() + d * columnWidth();
    const QFontMetricsF metrics(font_, device_);
    for (const HolidaySpan& h : day.holidays) {
        const double top = std::max(yOf(h.fromSecond), b.top());
        const double bottom = std::min(yOf(h.toSecond), b.bottom());
        if (bottom <= top) {
            continue;
        }
        const QRectF span(left, top, columnWidth(), bottom - top);
        painter.fillRect(span, kHolidayBackground);
        painter.setFont(font_);
        painter.setPen(kHolidayText);
        const QRectF text = span.adjusted(2 * pad_, pad_, -2 * pad_, 0);
        painter.drawText(QRectF(text.topLeft(), QSizeF(text.width(), line_)), Qt::AlignLeft,
                         metrics.elidedText(h.name, Qt::ElideRight, text.width()));
    }
}

QRectF WeekChart::blockRectIn(int d, const WeekBlock& block, size_t index) const {
    const auto dayIndex = static_cast<size_t>(d);
    const int lane = lanes_.lane[dayIndex][index];
    const double laneWidth = (columnWidth() - 2 * pad_) / lanes_.across[dayIndex][index];
    const double left = body().left() + d * columnWidth() + pad_ + lane * laneWidth;
    const double top = yOf(block.dueSecond);
    const double bottom = yOf(drawnEnd(block, lanes_.minimumSeconds));
    return QRectF(left, top, laneWidth, bottom - top);
}

QRectF WeekChart::blockRect(int day, size_t index) const {
    return blockRectIn(day, plan_->days[static_cast<size_t>(day)].blocks[index], index);
}

void WeekChart::forEachShown(
    int d, double fromSecond, double toSecond,
    const std::function<void(size_t index, const QRectF& rect)>& action) const {
    const auto dayIndex = static_cast<size_t>(d);
    const std::vector<WeekBlock>& blocks = plan_->days[dayIndex].blocks;
    const std::vector<quint8>& lanes = lanes_.lane[dayIndex];
    if (blocks.empty() || lanes.size() != blocks.size()) {
        return;
    }
    // Blocks are in the order they fall due; none reaches further than the longest.
    const double earliest = fromSecond - lanes_.longest[dayIndex];
    auto it = std::lower_bound(blocks.begin(), blocks.end(), earliest,
                               [](const WeekBlock& b, double s) { return b.dueSecond < s; });
    // A block that would add less than half a line to the blocks shown before it in its lane
    // is left out (one that overlaps none always adds its label's line): decided in seconds,
    // so that each block of a crowded day costs a comparison.
    const double slack = std::max(2.0, line_ / 2) / pixelsPerSecond_;
    std::vector<double> shownTo(static_cast<size_t>(lanes_.count[dayIndex]), -1e300);
    for (; it != blocks.end() && it->dueSecond <= toSecond; ++it) {
        const size_t index = static_cast<size_t>(it - blocks.begin());
        const int end = drawnEnd(*it, lanes_.minimumSeconds);
        double& shown = shownTo[lanes[index]];
        if (end <= shown + slack || end < fromSecond) {
            continue;
        }
        shown = end;
        action(index, blockRectIn(d, *it, index));
    }
}

void WeekChart::paintBlocks(QPainter& painter, int d, double fromSecond, double toSecond) const {
    const std::vector<WeekBlock>& blocks = plan_->days[static_cast<size_t>(d)].blocks;
    const std::vector<quint8>& lanes = lanes_.lane[static_cast<size_t>(d)];
    struct Shown {
        size_t index;
        QRectF rect;
        double room;  // height free for the label
    };
    std::vector<Shown> shown;
    const double bottom = body().bottom();
    std::vector<size_t> lastInLane(static_cast<size_t>(lanes_.count[static_cast<size_t>(d)]),
                                   SIZE_MAX);
    forEachShown(d, fromSecond, toSecond, [&](size_t index, const QRectF& rect) {
        // Where blocks crowd a lane, the next block takes the room of a label; a label with no
        // room is left out (the tooltip and the printed list still have it).
        size_t& last = lastInLane[lanes[index]];
        if (last != SIZE_MAX) {
            Shown& before = shown[last];
            before.room = std::min(before.room, rect.top() - before.rect.top());
        }
        last = shown.size();
        // A label is not cut at the bottom of the chart.
        shown.push_back({index, rect, std::min(rect.height(), bottom - rect.top())});
    });
    for (const Shown& s : shown) {
        const WeekProgramme& p = plan_->programmes[static_cast<size_t>(blocks[s.index].programme)];
        const QColor colour = programmeColour(p.name);
        painter.fillRect(s.rect, colour);
        if (p.estimated) {
            painter.fillRect(s.rect, QBrush(colour.darker(135), Qt::BDiagPattern));
        }
        painter.setPen(QPen(colour.darker(170), 0));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(s.rect);
    }
    const QFontMetricsF metrics(font_, device_);
    painter.setFont(font_);
    painter.setPen(Qt::black);
    for (const Shown& s : shown) {
        QRectF text = s.rect.adjusted(pad_, 0, -pad_, 0);
        text.setHeight(s.room);
        if (text.height() < line_ - 0.5 || text.width() < line_) {
            continue;
        }
        const WeekBlock& block = blocks[s.index];
        const QString& name = plan_->programmes[static_cast<size_t>(block.programme)].name;
        const QString time = startText(block.startSecond);
        if (text.height() >= 2 * line_) {
            painter.drawText(QRectF(text.left(), text.top(), text.width(), line_),
                             Qt::AlignLeft | Qt::AlignVCenter, time);
            painter.drawText(QRectF(text.left(), text.top() + line_, text.width(), line_),
                             Qt::AlignLeft | Qt::AlignVCenter,
                             metrics.elidedText(name, Qt::ElideRight, text.width()));
        } else {
            // On one line the name matters more than the time, which the hours show.
            const QString both = time + u' ' + name;
            painter.drawText(QRectF(text.left(), text.top(), text.width(), line_),
                             Qt::AlignLeft | Qt::AlignVCenter,
                             metrics.horizontalAdvance(both) <= text.width()
                                 ? both
                                 : metrics.elidedText(name, Qt::ElideRight, text.width()));
        }
    }
}

WeekChart::Hit WeekChart::blockAt(const QPointF& point) const {
    const QRectF b = body();
    if (plan_ == nullptr || !b.contains(point) || columnWidth() <= 0) {
        return {};
    }
    const int d = std::clamp(static_cast<int>((point.x() - b.left()) / columnWidth()), 0, 6);
    const double second = topSecond_ + (point.y() - b.top()) / pixelsPerSecond_;
    Hit hit;
    // Of the blocks shown there, the last is drawn on top.
    forEachShown(d, second, second, [&](size_t index, const QRectF& rect) {
        if (rect.contains(point)) {
            hit = {d, index};
        }
    });
    return hit;
}
