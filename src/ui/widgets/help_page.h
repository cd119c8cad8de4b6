#pragma once

#include <QWidget>

#include "core/storage/app_paths.h"

class QTextBrowser;

// Help and technical support: the local help pages shipped with the program.
class HelpPage : public QWidget {
    Q_OBJECT
  public:
    explicit HelpPage(const AppPaths& paths, QWidget* parent = nullptr);
    QTextBrowser* view() const { return view_; }

  private:
    QTextBrowser* view_;
};

// The local help page in the program's resource folder, optionally at an anchor, as the
// target of the hint links.
QString helpPageUrl(const QString& resourceFolder, const QString& anchor = QString());
// Opens it in the default browser.
void openHelpPage(const QString& resourceFolder, const QString& anchor = QString());
