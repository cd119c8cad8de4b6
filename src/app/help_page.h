#pragma once

#include <QWidget>

class QTextBrowser;

// Help and technical support: the local help pages shipped beside the program.
class HelpPage : public QWidget {
    Q_OBJECT
  public:
    HelpPage(const QString& exeFolder, const QString& dataFolder, QWidget* parent = nullptr);
    QTextBrowser* view() const { return view_; }

  private:
    QTextBrowser* view_;
};

// The local help page, optionally at an anchor, as the target of the hint links.
QString helpPageUrl(const QString& exeFolder, const QString& anchor = QString());
// Opens it in the default browser.
void openHelpPage(const QString& exeFolder, const QString& anchor = QString());
