#include "ui/widgets/artwork.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace {

const QColor kDeep(24, 62, 128);
const QColor kLight(64, 132, 214);

// A loudspeaker with two sound waves.
void drawSpeaker(QPainter& p, const QRectF& box) {
    const double u = box.height() / 10.0;
    QPainterPath body;
    body.moveTo(box.left() + 1 * u, box.top() + 3.5 * u);
    body.lineTo(box.left() + 3 * u, box.top() + 3.5 * u);
    body.lineTo(box.left() + 5.5 * u, box.top() + 1 * u);
    body.lineTo(box.left() + 5.5 * u, box.top() + 9 * u);
    body.lineTo(box.left() + 3 * u, box.top() + 6.5 * u);
    body.lineTo(box.left() + 1 * u, box.top() + 6.5 * u);
    body.closeSubpath();
    p.fillPath(body, Qt::white);
    QPen wave(Qt::white, u * 0.8, Qt::SolidLine, Qt::RoundCap);
    p.setPen(wave);
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(box.left() + 4 * u, box.top() + 3 * u, 4 * u, 4 * u), -50 * 16, 100 * 16);
    p.drawArc(QRectF(box.left() + 3.5 * u, box.top() + 1.5 * u, 7 * u, 7 * u), -50 * 16, 100 * 16);
}

// A rounded plate filled with a gradient from one colour to the other along `direction`.
void drawPlate(QPainter& p, const QRectF& plate, const QPointF& direction, const QColor& from,
               const QColor& to, double radius) {
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient fill(QPointF(0, 0), direction);
    fill.setColorAt(0, from);
    fill.setColorAt(1, to);
    p.setBrush(fill);
    p.setPen(Qt::NoPen);
    p.drawRoundedRect(plate, radius, radius);
}

// White bold text of the given pixel size, vertically centred in its box.
void drawCaption(QPainter& p, const QRectF& box, int pixelSize, const QString& text) {
    QFont font = p.font();
    font.setPixelSize(pixelSize);
    font.setBold(true);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(box, Qt::AlignVCenter | Qt::AlignLeft, text);
}

}  // namespace

QIcon programIcon() {
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        drawPlate(p, QRectF(0, 0, size, size), QPointF(0, size), kLight, kDeep, size * 0.2);
        drawSpeaker(p, QRectF(size * 0.1, size * 0.1, size * 0.8, size * 0.8));
        icon.addPixmap(pixmap);
    }
    return icon;
}

QPixmap logoPixmap(int width, double scale) {
    const int height = static_cast<int>(56 * scale);
    QPixmap pixmap(width, height);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    drawPlate(p, QRectF(0, 0, width, height), QPointF(width, 0), kDeep, kLight, 6 * scale);
    drawSpeaker(p, QRectF(6 * scale, height * 0.15, height * 0.7, height * 0.7));
    drawCaption(p, QRectF(height * 0.85, 0, width - height * 0.85, height),
                static_cast<int>(17 * scale), QStringLiteral("澜川广播"));
    return pixmap;
}

QPixmap bannerPixmap(const QString& text, int width, double scale) {
    const int height = static_cast<int>(42 * scale);
    QPixmap pixmap(width, height);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    drawPlate(p, QRectF(0, 0, width, height), QPointF(width, 0), kLight, QColor(230, 238, 250),
              4 * scale);
    drawCaption(p, QRectF(14 * scale, 0, width, height), static_cast<int>(18 * scale), text);
    return pixmap;
}
