#include <gtest/gtest.h>
#include <QApplication>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTextBrowser>
#include <QUrl>

#include "core/support/paste_text.h"
#include "helpers/temp_folder.h"
#include "helpers/ui_helpers.h"
#include "ui/app/close_dialog.h"
#include "ui/app/main_window.h"
#include "ui/app/paste_filter.h"
#include "ui/app/tab_list_panel.h"
#include "ui/app/tray_area.h"
#include "ui/widgets/help_page.h"
#include "ui/widgets/hyper_link.h"

namespace {

class FakeTray : public TrayArea {
  public:
    bool available = true;
    bool shown = false;
    QString tip;
    bool add(const QString& text) override {
        tip = text;
        shown = available;
        return available;
    }
    void remove() override { shown = false; }
    bool isShown() const override { return shown; }
};

struct WindowFixture {
    TempFolder folder;
    FakeTray* tray = new FakeTray();
    MainWindow window{AppPaths::forFolders(folder.path(), folder.path()), tray};
    WindowFixture() { window.show(); }
};

void pressDialogButton(QWidget* dialog, const QString& text) {
    for (QPushButton* button : dialog->findChildren<QPushButton*>()) {
        if (button->text() == text) {
            button->click();
            return;
        }
    }
    ADD_FAILURE() << "no button " << text.toStdString();
}

int visiblePages(const MainWindow& window) {
    int visible = 0;
    for (int i = 0; i < MainWindow::kTabs; ++i) {
        visible += window.page(i)->isVisible() ? 1 : 0;
    }
    return visible;
}

}  // namespace

TEST(MainWindow, SixEntriesAndExactlyOnePageShown) {
    WindowFixture f;
    EXPECT_EQ(f.window.windowTitle(), QStringLiteral("澜川校园定时广播系统 9.2"));
    QListWidget* list = f.window.tabList()->list();
    ASSERT_EQ(list->count(), 6);
    EXPECT_EQ(list->item(0)->text(), QStringLiteral(" 0.介 绍"));
    EXPECT_EQ(list->item(4)->text(), QStringLiteral(" 4.设置 (可多路)"));
    EXPECT_EQ(list->item(5)->text(), QStringLiteral(" 5.帮助~技术支持"));
    EXPECT_TRUE(f.window.page(0)->isVisible());
    for (int tab : {3, 1, 5, 0}) {
        list->setCurrentRow(tab);
        EXPECT_EQ(visiblePages(f.window), 1);
        EXPECT_TRUE(f.window.page(tab)->isVisible()) << tab;
    }
}

TEST(MainWindow, PagesFillTheRightAndTheWindowHasAMinimumSize) {
    WindowFixture f;
    f.window.resize(300, 200);
    pumpEvents(20);
    EXPECT_GE(f.window.width(), 600);
    EXPECT_GE(f.window.height(), 450);
    f.window.resize(900, 640);
    pumpEvents(20);
    const int margin = f.window.tabList()->margin();
    const QWidget* shown = f.window.page(0);
    const QRect page(shown->mapTo(&f.window, QPoint(0, 0)), shown->size());
    EXPECT_EQ(page.left(), f.window.tabList()->width());
    EXPECT_EQ(page.width(), 900 - f.window.tabList()->width() - margin);
    EXPECT_EQ(page.height(), 640 - margin);
    EXPECT_EQ(f.window.tabList()->height(), 640);
}

TEST(MainWindow, CloseDialogCancelChangesNothingAndExitIsReported) {
    WindowFixture f;
    bool exitRequested = false;
    QObject::connect(&f.window, &MainWindow::exitRequested, [&] { exitRequested = true; });
    whenModal([](QWidget* dialog) {
        EXPECT_TRUE(dialog->findChildren<QRadioButton*>().first()->isChecked());
        pressDialogButton(dialog, QStringLiteral("取消"));
    });
    f.window.close();
    EXPECT_TRUE(f.window.isVisible());
    EXPECT_FALSE(exitRequested);
    EXPECT_FALSE(f.tray->shown);

    whenModal([](QWidget* dialog) {
        for (QRadioButton* radio : dialog->findChildren<QRadioButton*>()) {
            if (radio->text() == QStringLiteral("退出程序")) {
                radio->click();
            }
        }
        pressDialogButton(dialog, QStringLiteral("确定"));
    });
    f.window.close();
    EXPECT_TRUE(exitRequested);
}

TEST(MainWindow, HidingNeedsTheTrayAndItsCommandBringsTheWindowBack) {
    WindowFixture f;
    f.tray->available = false;
    f.window.hideToTray();
    EXPECT_TRUE(f.window.isVisible()) << "without a notification area the window stays";

    f.tray->available = true;
    whenModal([](QWidget* dialog) { pressDialogButton(dialog, QStringLiteral("确定")); });
    f.window.close();  // the first choice hides in the tray
    EXPECT_FALSE(f.window.isVisible());
    EXPECT_TRUE(f.tray->shown);
    EXPECT_EQ(f.tray->tip, QStringLiteral("澜川校园定时广播系统 9.2"));

    emit f.tray->showRequested();
    pumpEvents(200);
    EXPECT_FALSE(f.window.isVisible()) << "it waits 350 ms";
    pumpEvents(300);
    EXPECT_TRUE(f.window.isVisible());
    EXPECT_FALSE(f.tray->shown);

    f.window.hideToTray();
    f.window.bringForward();  // a second copy asks
    pumpEvents(500);
    EXPECT_TRUE(f.window.isVisible());
}

TEST(PasteHandling, FollowsTheProgramsRules) {
    PasteFilter filter;
    qApp->installEventFilter(&filter);
    QLineEdit line;
    QPlainTextEdit multi;
    QClipboard* clipboard = QApplication::clipboard();

    clipboard->setText(QStringLiteral("a\nb"));
    QTest::keySequence(&line, QKeySequence::Paste);
    EXPECT_EQ(line.text(), QStringLiteral("a"));
    QTest::keySequence(&multi, QKeySequence::Paste);
    EXPECT_EQ(multi.toPlainText(), QStringLiteral("a\nb"));
    EXPECT_EQ(pastedText(QStringLiteral("a\nb"), true), QStringLiteral("a\r\nb"));
    EXPECT_EQ(pastedText(QStringLiteral("a\rb\r\nc"), true), QStringLiteral("a\r\nb\r\nc"));
    EXPECT_EQ(pastedText(QStringLiteral("\rx"), false), QString());

    line.clear();
    line.setMaxLength(100'000);  // the box's own limit would cut sooner
    clipboard->setText(QString(60'000, u'x'));
    QTest::keySequence(&line, QKeySequence::Paste);
    EXPECT_EQ(line.text().size(), 50'001);
    multi.clear();
    QTest::keySequence(&multi, QKeySequence::Paste);
    EXPECT_EQ(multi.toPlainText().size(), 50'001);

    line.setText(QStringLiteral("keep"));
    line.selectAll();
    clipboard->setMimeData(new QMimeData());
    QTest::keySequence(&line, QKeySequence::Paste);
    EXPECT_EQ(line.text(), QStringLiteral("keep"));

    clipboard->setText(QStringLiteral("new"));
    line.selectAll();
    QTest::keySequence(&line, QKeySequence::Paste);
    EXPECT_EQ(line.text(), QStringLiteral("new"));
    line.undo();
    EXPECT_EQ(line.text(), QStringLiteral("keep")) << "one undoable step";
    qApp->removeEventFilter(&filter);
}

TEST(HyperLink, LooksLikeALinkAndReportsClicks) {
    HyperLink link(QStringLiteral("添加 …"));
    EXPECT_EQ(link.palette().color(QPalette::WindowText), QColor(38, 28, 220));
    EXPECT_TRUE(link.font().underline());
    EXPECT_EQ(link.cursor().shape(), Qt::PointingHandCursor);
    int clicks = 0;
    QObject::connect(&link, &HyperLink::clicked, [&] { ++clicks; });
    link.show();
    QTest::mouseClick(&link, Qt::LeftButton);
    EXPECT_EQ(clicks, 1);
}

TEST(MainWindowPages, WelcomeAndHelpPagesComeFromTheInstalledTreeOrTheBuildFolder) {
    TempFolder build;
    TempFolder prefix;
    const QString share = prefix.file(QStringLiteral("share/kelvora-broadcasting"));
    ASSERT_TRUE(QDir().mkpath(prefix.file(QStringLiteral("bin"))));
    for (const QString& folder : {build.path(), share}) {
        ASSERT_TRUE(QDir().mkpath(folder + QStringLiteral("/help")));
        writeBytes(folder + QStringLiteral("/welcome.htm"),
                   "<html><body><p>welcome from " + folder.toUtf8() + "</p></body></html>");
        writeBytes(
            folder + QStringLiteral("/help/index.html"),
            "<html><body><h2 id=\"remote\">help from " + folder.toUtf8() + "</h2></body></html>");
    }
    const QList<std::pair<QString, QString>> layouts = {
        {build.path(), build.path()}, {prefix.file(QStringLiteral("bin")), share}};
    for (const auto& [exeFolder, resources] : layouts) {
        auto* tray = new FakeTray();
        MainWindow window{AppPaths::forFolders(exeFolder, build.path()), tray};
        auto* welcome = window.page(MainWindow::kIntroTab)
                            ->findChild<QTextBrowser*>(QStringLiteral("welcomeView"));
        auto* help =
            window.page(MainWindow::kHelpTab)->findChild<QTextBrowser*>(QStringLiteral("helpView"));
        ASSERT_NE(welcome, nullptr);
        ASSERT_NE(help, nullptr);
        EXPECT_TRUE(welcome->toPlainText().contains(QStringLiteral("welcome from ") + resources))
            << welcome->toPlainText().toStdString();
        EXPECT_TRUE(help->toPlainText().contains(QStringLiteral("help from ") + resources));
        // The hint links open the same page, at their anchor.
        QUrl expected = QUrl::fromLocalFile(resources + QStringLiteral("/help/index.html"));
        expected.setFragment(QStringLiteral("remote"));
        EXPECT_EQ(QUrl(helpPageUrl(AppPaths::forFolders(exeFolder, build.path()),
                                   QStringLiteral("remote"))),
                  expected);
    }
}
