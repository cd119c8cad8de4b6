#include <gtest/gtest.h>
#include <QAbstractButton>
#include <QDesktopServices>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMouseEvent>
#include <QSet>
#include <QTimer>
#include <QUrl>

#include "helpers/temp_folder.h"
#include "helpers/ui_helpers.h"
#include "ui/app/main_window.h"
#include "ui/app/program.h"
#include "ui/timed/timed_page.h"
#include "ui/widgets/hyper_link.h"

namespace {

// Receives the help pages the program would open in the browser.
class HelpUrls : public QObject {
    Q_OBJECT
  public:
    HelpUrls() { QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "open"); }
    ~HelpUrls() override { QDesktopServices::unsetUrlHandler(QStringLiteral("file")); }
    QList<QUrl> urls;
  public slots:
    void open(const QUrl& url) { urls.append(url); }
};

// Clicks every link of a window as a user would; in each dialog a click opens, its links too,
// and then closes that dialog. The texts of the links clicked, in order.
class LinkWalker {
  public:
    void clickAll(QWidget* root) {
        for (HyperLink* link : root->findChildren<HyperLink*>()) {
            if (!clicked_.contains(link)) {
                clicked_.insert(link);
                texts.append(link->text());
                whileOpen([link] {
                    const QPointF at(2, 2);
                    QMouseEvent press(QEvent::MouseButtonPress, at, link->mapToGlobal(at),
                                      Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
                    QApplication::sendEvent(link, &press);
                });
            }
        }
    }
    // Runs the action; a dialog it opens has its links clicked and is closed.
    void whileOpen(const std::function<void()>& action) {
        QWidget* before = QApplication::activeModalWidget();
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            if (modal == nullptr || modal == before) {
                return;
            }
            watch.stop();
            clickAll(modal);
            if (auto* dialog = qobject_cast<QDialog*>(modal)) {
                dialog->reject();
            }
        });
        watch.start(10);
        action();
    }
    QStringList texts;

  private:
    QSet<HyperLink*> clicked_;
};

// The anchors the page defines.
QStringList anchorsIn(const QString& page) {
    QStringList anchors;
    const QString html = QString::fromUtf8(readBytes(page));
    qsizetype at = 0;
    while ((at = html.indexOf(QStringLiteral(" id=\""), at)) >= 0) {
        at += 5;
        anchors.append(html.mid(at, html.indexOf(u'"', at) - at));
    }
    return anchors;
}

void copyHelp(const QString& toFolder) {
    const QString built = QFileInfo(QStringLiteral(KB_PROGRAM_PATH)).absolutePath();
    ASSERT_TRUE(QDir().mkpath(toFolder + QStringLiteral("/help")));
    ASSERT_TRUE(QFile::copy(built + QStringLiteral("/help/index.html"),
                            toFolder + QStringLiteral("/help/index.html")));
}

}  // namespace

TEST(HelpLinks, EveryLinkOpensATopicOfThePageBuiltOrInstalledOrSaysItCannot) {
    TempFolder root;
    const QString built = QFileInfo(QStringLiteral(KB_PROGRAM_PATH)).absolutePath();
    const QString installedBin = root.file(QStringLiteral("usr/bin"));
    const QString installedShare = root.file(QStringLiteral("usr/share/kelvora-broadcasting"));
    ASSERT_TRUE(QDir().mkpath(installedBin));
    copyHelp(installedShare);
    const QString bare = root.file(QStringLiteral("bare/bin"));
    ASSERT_TRUE(QDir().mkpath(bare));
    struct Layout {
        QString exeFolder;
        QString page;  // empty: no help page at all
    };
    const Layout layouts[] = {{built, built + QStringLiteral("/help/index.html")},
                              {installedBin, installedShare + QStringLiteral("/help/index.html")},
                              {bare, QString()}};
    for (const Layout& layout : layouts) {
        SCOPED_TRACE(layout.exeFolder.toStdString());
        RecordedMessages messages;
        HelpUrls opened;
        TempFolder data;
        Program program(AppPaths::forFolders(layout.exeFolder, data.path()), false);
        ASSERT_TRUE(program.initialise({}));
        LinkWalker walker;
        walker.clickAll(program.window());
        // The programme editor is a dialog of its own.
        auto* timed = qobject_cast<TimedPage*>(program.window()->page(MainWindow::kTimedTab));
        ASSERT_NE(timed, nullptr);
        walker.whileOpen([timed] { timed->addProgramme(); });
        program.shutdown(false);

        if (layout.page.isEmpty()) {
            EXPECT_TRUE(opened.urls.isEmpty());
            EXPECT_TRUE(messages.texts().contains(
                QStringLiteral(
                    "无法打开帮助页面：\n%1/help/index.html\n\n文件不存在，请重新安装软件")
                    .arg(layout.exeFolder)))
                << messages.texts().join(u'\n').toStdString();
            continue;
        }
        const QStringList anchors = anchorsIn(layout.page);
        // Every help link of the pages and the editor, each of which once led nowhere.
        EXPECT_GE(opened.urls.size(), 15) << walker.texts.join(u'\n').toStdString();
        for (const QUrl& url : opened.urls) {
            EXPECT_EQ(url.toLocalFile(), layout.page);
            EXPECT_TRUE(anchors.contains(url.fragment())) << url.toString().toStdString();
        }
        for (const MessageRequest& shown : messages.shown) {
            EXPECT_EQ(shown.icon, MessageIcon::Information) << shown.text.toStdString();
        }
    }
}

TEST(PlatformTexts, NoTextOfAPageOrItsHintsNamesWindows) {
    RecordedMessages messages;
    HelpUrls opened;
    TempFolder data;
    Program program(AppPaths::forFolders(data.path(), data.path()), false);
    ASSERT_TRUE(program.initialise({}));
    QStringList texts;
    for (QLabel* label : program.window()->findChildren<QLabel*>()) {
        texts.append(label->text());
    }
    for (QAbstractButton* button : program.window()->findChildren<QAbstractButton*>()) {
        texts.append(button->text());
    }
    LinkWalker walker;
    walker.clickAll(program.window());
    texts += messages.texts();
    EXPECT_GE(messages.shown.size(), 10);
    // "Windows 版" names the program a school moves from, not the system it logs on to.
    for (QString text : texts) {
        text.remove(QStringLiteral("Windows 版"));
        EXPECT_FALSE(text.contains(QStringLiteral("Windows"))) << text.toStdString();
    }
    EXPECT_TRUE(texts.contains(QStringLiteral("登录桌面后自动启动")));
    program.shutdown(false);
}

#include "help_links_test.moc"
