#include "ui/widgets/help_page.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QLabel>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

#include "core/storage/folders.h"
#include "core/support/log_categories.h"

QString helpPageUrl(const QString& resourceFolder, const QString& anchor) {
    QUrl url = QUrl::fromLocalFile(joinPath(resourceFolder, kHelpIndexName));
    if (!anchor.isEmpty()) {
        url.setFragment(anchor);
    }
    return url.toString();
}

void openHelpPage(const QString& resourceFolder, const QString& anchor) {
    QDesktopServices::openUrl(QUrl(helpPageUrl(resourceFolder, anchor)));
}

HelpPage::HelpPage(const AppPaths& paths, QWidget* parent) : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* where = new QLabel(QStringLiteral("数据文件夹：%1").arg(paths.dataFolder), this);
    where->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(where);
    view_ = new QTextBrowser(this);
    view_->setObjectName(QStringLiteral("helpView"));
    view_->setOpenExternalLinks(true);
    const QString index = paths.helpIndex();
    if (QFileInfo::exists(index)) {
        qCDebug(lcUi) << "help page:" << index;
        view_->setSource(QUrl::fromLocalFile(index));
    } else {
        qCWarning(lcUi) << "help page missing:" << index;
    }
    layout->addWidget(view_);
}
