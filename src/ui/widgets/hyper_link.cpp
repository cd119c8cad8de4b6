#include "ui/widgets/hyper_link.h"

#include <QDesktopServices>
#include <QMouseEvent>
#include <QUrl>

#include "core/support/messages.h"

HyperLink::HyperLink(const QString& text, QWidget* parent) : QLabel(text, parent) {
    QFont underlined = font();
    underlined.setUnderline(true);
    setFont(underlined);
    QPalette colours = palette();
    colours.setColor(QPalette::WindowText, QColor(38, 28, 220));
    setPalette(colours);
    setCursor(Qt::PointingHandCursor);
    setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setTextFormat(Qt::PlainText);
}

void HyperLink::setLink(const QString& text, const QString& target) {
    setText(text.left(511));
    target_ = target.left(511);
}

void HyperLink::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        if (!target_.isEmpty() && !QDesktopServices::openUrl(QUrl::fromUserInput(target_))) {
            showMessage(MessageIcon::Warning, QStringLiteral("无法打开：\n%1").arg(target_), this);
        }
        emit clicked();
    }
    QLabel::mousePressEvent(event);
}
