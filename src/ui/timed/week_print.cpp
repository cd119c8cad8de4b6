#include "ui/timed/week_print.h"

#include <QFontMetricsF>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>

#include "core/support/date_text.h"
#include "core/support/messages.h"
#include "ui/timed/week_chart.h"

namespace {

constexpr double kMarginMm = 10;
constexpr int kPdfResolution = 300;
constexpr int kListColumns = 3;
// A school's week has a few thousand starts at most; beyond this the list would run to
// hundreds of pages, and the chart is what can be read.
constexpr size_t kMaxListedStarts = 6000;

// WenQuanYi first: a PDF names each glyph's character by the first code point that maps to it,
// and Noto CJK maps the Kangxi radicals to the glyphs of common characters (一, 日, 音), which
// would then be copied or found as radicals. Noto CJK, which comes with the package, draws
// whatever WenQuanYi lacks.
QFont printFont(double points, bool bold = false) {
    QFont font;
    font.setFamilies({QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("Noto Sans CJK SC")});
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

QString clockText(int second) {
    return formatClockTime({second / 3600, second / 60 % 60, second % 60});
}

QString dayHead(const WeekDay& day) {
    return weekdayText(day.date) + QStringLiteral("  ");
}

// One line of the list, before it is wrapped to its column.
struct ListLine {
    QString text;
    bool note = false;  // a holiday, an adjusted day or an empty day
    bool dayStart = false;
};

std::vector<ListLine> listLines(const WeekPlan& plan) {
    std::vector<ListLine> lines;
    const size_t total = plan.startCount();
    if (total > kMaxListedStarts) {
        lines.push_back({QStringLiteral("本周共 %1 次播放，下面只列出每天的前 %2 次")
                             .arg(total)
                             .arg(kMaxListedStarts / 7),
                         true});
    }
    for (const WeekDay& day : plan.days) {
        const size_t first = lines.size();
        for (const HolidaySpan& h : day.holidays) {
            lines.push_back(
                {dayHead(day) +
                     QStringLiteral("节假日：%1（%2）").arg(h.name, formatDateHourRange(h.range)),
                 true});
        }
        if (day.adjusted) {
            lines.push_back(
                {dayHead(day) + QStringLiteral("调休：按 %1 %2 的节目单")
                                    .arg(formatDate(day.playsAs), weekdayText(day.playsAs)),
                 true});
        }
        const size_t listed =
            std::min(day.blocks.size(), total > kMaxListedStarts ? kMaxListedStarts / 7 : total);
        for (size_t i = 0; i < listed; ++i) {
            const WeekBlock& b = day.blocks[i];
            QString text = dayHead(day) + clockText(b.startSecond) + QStringLiteral("  ") +
                           plan.programmes[static_cast<size_t>(b.programme)].name;
            if (b.dueSecond != b.startSecond) {
                text += QStringLiteral("  （%1 起播）").arg(clockText(b.dueSecond));
            }
            lines.push_back({text, false});
        }
        if (day.blocks.empty()) {
            lines.push_back({dayHead(day) + QStringLiteral("没有节目"), true});
        }
        lines[first].dayStart = true;
    }
    return lines;
}

struct Placed {
    size_t line;
    QRectF rect;
};

// The list laid out in columns, page by page.
std::vector<std::vector<Placed>> layoutList(const std::vector<ListLine>& lines,
                                            const QFontMetricsF& metrics, const QRectF& area) {
    std::vector<std::vector<Placed>> pages(1);
    const double gap = metrics.height();
    const double width = (area.width() - (kListColumns - 1) * gap) / kListColumns;
    int column = 0;
    double y = area.top();
    for (size_t i = 0; i < lines.size(); ++i) {
        // A long name wraps inside its column rather than losing its end.
        const QRectF bounds = metrics.boundingRect(
            QRectF(0, 0, width, 1e6), Qt::TextWordWrap | Qt::TextWrapAnywhere, lines[i].text);
        const double height = std::ceil(bounds.height());
        const double before = lines[i].dayStart && y > area.top() ? metrics.height() / 2 : 0;
        if (y + before + height > area.bottom() && y > area.top()) {
            if (++column == kListColumns) {
                column = 0;
                pages.emplace_back();
            }
            y = area.top();
        } else {
            y += before;
        }
        const double x = area.left() + column * (width + gap);
        pages.back().push_back({i, QRectF(x, y, width, height)});
        y += height;
    }
    return pages;
}

}  // namespace

QString weekTitle(const WeekPlan& plan) {
    return QStringLiteral("一周概览  ") + weekRangeText(plan);
}

void setUpWeekPage(QPagedPaintDevice& device) {
    device.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape,
                                     QMarginsF(kMarginMm, kMarginMm, kMarginMm, kMarginMm),
                                     QPageLayout::Millimeter));
}

bool paintWeekPages(QPagedPaintDevice& device, const WeekPlan& plan, QString& message) {
    QPainter painter;
    if (!painter.begin(&device)) {
        message = QStringLiteral("无法开始打印");
        return false;
    }
    const QRectF page(0, 0, device.width(), device.height());
    const QFont titleFont(printFont(11, true), &device);
    const QFont smallFont(printFont(7), &device);
    const QFont listFont(printFont(8), &device);
    const QFontMetricsF titleMetrics(titleFont, &device);
    const QFontMetricsF smallMetrics(smallFont, &device);
    const QFontMetricsF listMetrics(listFont, &device);
    const QString title = weekTitle(plan);
    const double titleHeight = titleMetrics.height() * 1.6;
    const double footHeight = smallMetrics.height() * 1.6;
    const QRectF content(page.left(), page.top() + titleHeight, page.width(),
                         page.height() - titleHeight - footHeight);

    const std::vector<ListLine> lines = listLines(plan);
    const std::vector<std::vector<Placed>> listPages = layoutList(lines, listMetrics, content);
    const int pageCount = 1 + static_cast<int>(listPages.size());
    auto frame = [&](int number, const QString& note) {
        painter.setFont(titleFont);
        painter.setPen(Qt::black);
        painter.drawText(QRectF(page.left(), page.top(), page.width(), titleHeight),
                         Qt::AlignLeft | Qt::AlignTop, title);
        painter.setFont(smallFont);
        const QRectF foot(page.left(), page.bottom() - smallMetrics.height(), page.width(),
                          smallMetrics.height());
        painter.drawText(foot, Qt::AlignLeft | Qt::AlignVCenter, note);
        painter.drawText(foot, Qt::AlignRight | Qt::AlignVCenter,
                         QStringLiteral("第 %1 页，共 %2 页").arg(number).arg(pageCount));
    };

    // The chart: the whole span of the week's starts on one page.
    frame(1,
          kApplicationTitle + QStringLiteral("    斜线：估计的时长（文件夹的曲目，或长度未知）"));
    WeekChart chart(smallFont, &device);
    chart.setPlan(&plan);
    chart.setArea(content);
    // A line below the last hour: the label of a start just before it.
    chart.setScale(
        (chart.body().height() - chart.lineHeight()) / std::max(1, plan.axisTo - plan.axisFrom),
        plan.axisFrom);
    chart.paint(painter, content);

    for (size_t p = 0; p < listPages.size(); ++p) {
        if (!device.newPage()) {
            message = QStringLiteral("无法添加新的一页");
            painter.end();
            return false;
        }
        frame(static_cast<int>(p) + 2, QStringLiteral("本周每一次播放"));
        painter.setFont(listFont);
        for (const Placed& placed : listPages[p]) {
            const ListLine& line = lines[placed.line];
            painter.setPen(line.note ? QColor(0x50, 0x50, 0x50) : QColor(Qt::black));
            painter.drawText(placed.rect, Qt::TextWordWrap | Qt::TextWrapAnywhere, line.text);
        }
    }
    if (!painter.end()) {
        message = QStringLiteral("打印未能完成");
        return false;
    }
    return true;
}

bool exportWeekPdf(const QString& path, const WeekPlan& plan, QString& message) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        message = QStringLiteral("导出 PDF 失败：\n%1\n\n%2").arg(path, file.errorString());
        return false;
    }
    {
        QPdfWriter writer(&file);
        writer.setResolution(kPdfResolution);
        writer.setTitle(weekTitle(plan));
        writer.setCreator(kApplicationTitle);
        setUpWeekPage(writer);
        QString why;
        if (!paintWeekPages(writer, plan, why)) {
            file.cancelWriting();
            message = QStringLiteral("导出 PDF 失败：\n%1\n\n%2").arg(path, why);
            return false;
        }
    }
    if (!file.commit()) {
        message = QStringLiteral("导出 PDF 失败：\n%1\n\n%2").arg(path, file.errorString());
        return false;
    }
    return true;
}
