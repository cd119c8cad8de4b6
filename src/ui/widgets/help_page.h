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

// The local help page of the program's resource folder (installed or in the build folder),
// optionally at a topic's anchor.
QString helpPageUrl(const AppPaths& paths, const QString& anchor = QString());
// Opens it in the default browser. A page that is missing, or that the desktop cannot open,
// is said in a message box owned by `owner`; false then.
bool openHelpPage(const AppPaths& paths, const QString& anchor = QString(),
                  QObject* owner = nullptr);
