#include "app/main_window.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QListWidget>
#include <QScreen>
#include <QTimer>
#include <algorithm>

#include "app/artwork.h"
#include "app/close_dialog.h"
#include "app/help_page.h"
#include "app/intro_page.h"
#include "app/tab_list_panel.h"
#include "app/tray_area.h"

namespace {

constexpr int kShowDelayMs = 350;

}  // namespace

double measureDpiScale() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const double scale = screen != nullptr ? screen->logicalDotsPerInchX() / 96.0 : 1.0;
    return std::clamp(scale, 1.0, 3.0);
}

MainWindow::MainWindow(const AppPaths& paths, TrayArea* tray, QWidget* parent)
    : QWidget(parent), paths_(paths), tray_(tray), dpiScale_(measureDpiScale()) {
    tray_->setParent(this);
    setWindowTitle(kApplicationTitle);
    setWindowIcon(programIcon());
    setObjectName(QStringLiteral("mainWindow"));
    setMinimumSize(600, 450);
    setBackgroundRole(QPalette::Window);
    setAutoFillBackground(true);
    tabList_ = new TabListPanel(dpiScale_, this);
    tabList_->move(0, 0);
    for (int i = 0; i < kTabs; ++i) {
        setPage(i, new QWidget(this));
    }
    setPage(kIntroTab, new IntroPage(paths_.welcomePage(), dpiScale_, this));
    setPage(kHelpTab, new HelpPage(paths_, this));
    connect(tabList_, &TabListPanel::currentChanged, this, &MainWindow::showPage);
    connect(tray_, &TrayArea::activated, this, &MainWindow::showFromTray);
    connect(tray_, &TrayArea::showRequested, this, &MainWindow::showFromTray);
    selectTab(kIntroTab);
    resize(1000, 700);
}

void MainWindow::setPage(int index, QWidget* page) {
    QWidget*& slot = pages_[static_cast<size_t>(index)];
    if (slot != nullptr && slot != page) {
        slot->deleteLater();
    }
    slot = page;
    page->setParent(this);
    page->setObjectName(QStringLiteral("page%1").arg(index));
    page->setVisible(index == currentTab());
    layoutPages();
}

void MainWindow::selectTab(int index) {
    tabList_->list()->setCurrentRow(index);
    showPage(index);
}

int MainWindow::currentTab() const {
    return tabList_ != nullptr ? tabList_->list()->currentRow() : -1;
}

void MainWindow::showPage(int index) {
    for (QWidget* page : pages_) {
        if (page != nullptr) {
            page->hide();
        }
    }
    if (index >= 0 && index < kTabs && pages_[static_cast<size_t>(index)] != nullptr) {
        pages_[static_cast<size_t>(index)]->show();
    }
}

void MainWindow::layoutPages() {
    if (tabList_ == nullptr) {
        return;
    }
    const int margin = tabList_->margin();
    tabList_->resize(tabList_->width(), height());
    const QRect area(tabList_->width(), 0, qMax(0, width() - tabList_->width() - margin),
                     qMax(0, height() - margin));
    for (QWidget* page : pages_) {
        if (page != nullptr) {
            page->setGeometry(area);
        }
    }
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    layoutPages();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // Closing never closes: the user chooses.
    event->ignore();
    CloseDialog dialog(this);
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    if (dialog.exitChosen()) {
        emit exitRequested();
    } else {
        hideToTray();
    }
}

void MainWindow::hideToTray() {
    if (tray_->add(windowTitle())) {
        hide();
    }
}

void MainWindow::showFromTray() {
    QTimer::singleShot(kShowDelayMs, this, [this] {
        tray_->remove();
        show();
        raise();
        activateWindow();
    });
}

void MainWindow::bringForward() {
    if (!isVisible()) {
        showFromTray();
    } else if (isMinimized()) {
        setWindowState(windowState() & ~Qt::WindowMinimized);
        show();
    } else {
        raise();
        activateWindow();
    }
}
