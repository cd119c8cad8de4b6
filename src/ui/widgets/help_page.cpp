#include "ui/widgets/help_page.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QLabel>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

#include "core/storage/folders.h"
#include "core/support/log_categories.h"
#include "core/support/messages.h"

QString helpPageUrl(const AppPaths& paths, const QString& anchor) {
    QUrl url = QUrl::fromLocalFile(paths.helpIndex());
    if (!anchor.isEmpty()) {
        url.setFragment(anchor);
    }
    return url.toString();
}

bool openHelpPage(const AppPaths& paths, const QString& anchor, QObject* owner) {
    const QString index = paths.helpIndex();
    // The desktop's opener is started for any path and only then finds nothing there.
    if (!QFileInfo(index).isFile()) {
        qCWarning(lcUi) << "help page missing:" << index;
        showMessage(
            MessageIcon::Warning,
            QStringLiteral("无法打开帮助页面：\n%1\n\n文件不存在，请重新安装软件").arg(index),
            owner);
        return false;
    }
    if (!QDesktopServices::openUrl(QUrl(helpPageUrl(paths, anchor)))) {
        showMessage(MessageIcon::Warning,
                    QStringLiteral("无法打开帮助页面：\n%1\n\n没有可以打开网页的程序").arg(index),
                    owner);
        return false;
    }
    return true;
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
