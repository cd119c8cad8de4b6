#include "ui/app/intro_page.h"

#include <QFileInfo>
#include <QLabel>
#include <QTextBrowser>
#include <QUrl>

#include "core/support/log_categories.h"
#include "ui/widgets/artwork.h"

IntroPage::IntroPage(const QString& welcomePage, double dpiScale, QWidget* parent)
    : QWidget(parent) {
    banner_ = new QLabel(this);
    banner_->setPixmap(bannerPixmap(QStringLiteral("澜川校园定时广播系统"),
                                    static_cast<int>(420 * dpiScale), dpiScale));
    banner_->move(0, 0);
    banner_->adjustSize();
    caption_ = new QLabel(QStringLiteral("为何选我:"), this);
    QFont font = caption_->font();
    font.setBold(true);
    caption_->setFont(font);
    caption_->adjustSize();
    caption_->move(0, banner_->height() + static_cast<int>(10 * dpiScale));
    view_ = new QTextBrowser(this);
    view_->setObjectName(QStringLiteral("welcomeView"));
    view_->setFrameShadow(QFrame::Sunken);
    view_->setOpenExternalLinks(true);
    // Without the file the view stays empty; only the diagnostics say so.
    if (QFileInfo::exists(welcomePage)) {
        qCDebug(lcUi) << "welcome page:" << welcomePage;
        view_->setSource(QUrl::fromLocalFile(welcomePage));
    } else {
        qCWarning(lcUi) << "welcome page missing:" << welcomePage;
    }
}

void IntroPage::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const int gap = static_cast<int>(0.38 * caption_->height() + 1);
    const int top = caption_->geometry().bottom() + 1 + gap;
    view_->setGeometry(caption_->x(), top, qMax(0, width() - caption_->x()),
                       qMax(0, height() - top));
}
