#include "app/help_page.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QLabel>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

QString helpPageUrl(const QString& exeFolder, const QString& anchor) {
    QUrl url = QUrl::fromLocalFile(exeFolder + QStringLiteral("/help/index.html"));
    if (!anchor.isEmpty()) {
        url.setFragment(anchor);
    }
    return url.toString();
}

void openHelpPage(const QString& exeFolder, const QString& anchor) {
    QDesktopServices::openUrl(QUrl(helpPageUrl(exeFolder, anchor)));
}

HelpPage::HelpPage(const QString& exeFolder, const QString& dataFolder, QWidget* parent)
    : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* where = new QLabel(QStringLiteral("数据文件夹：%1").arg(dataFolder), this);
    where->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(where);
    view_ = new QTextBrowser(this);
    view_->setObjectName(QStringLiteral("helpView"));
    view_->setOpenExternalLinks(true);
    const QString index = exeFolder + QStringLiteral("/help/index.html");
    if (QFileInfo::exists(index)) {
        view_->setSource(QUrl::fromLocalFile(index));
    }
    layout->addWidget(view_);
}
