#include "ui/app/main_window.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QListWidget>
#include <QScreen>
#include <QStackedWidget>
#include <QTimer>
#include <algorithm>

#include "ui/app/close_dialog.h"
#include "ui/app/intro_page.h"
#include "ui/app/tab_list_panel.h"
#include "ui/app/tray_area.h"
#include "ui/widgets/artwork.h"
#include "ui/widgets/help_page.h"

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
    pages_ = new QStackedWidget(this);
    for (int i = 0; i < kTabs; ++i) {
        auto* empty = new QWidget(pages_);
        empty->setObjectName(QStringLiteral("page%1").arg(i));
        pages_->addWidget(empty);
    }
    setPage(kIntroTab, new IntroPage(paths_.welcomePage(), dpiScale_, this));
    setPage(kHelpTab, new HelpPage(paths_, this));
    connect(tabList_, &TabListPanel::currentChanged, pages_, &QStackedWidget::setCurrentIndex);
    connect(tray_, &TrayArea::activated, this, &MainWindow::showFromTray);
    connect(tray_, &TrayArea::showRequested, this, &MainWindow::showFromTray);
    selectTab(kIntroTab);
    resize(1000, 700);
}

void MainWindow::setPage(int index, QWidget* page) {
    QWidget* previous = pages_->widget(index);
    if (previous == page) {
        return;
    }
    const bool current = pages_->currentIndex() == index;
    page->setObjectName(QStringLiteral("page%1").arg(index));
    pages_->insertWidget(index, page);
    pages_->removeWidget(previous);
    previous->deleteLater();
    if (current) {
        pages_->setCurrentIndex(index);
    }
}

QWidget* MainWindow::page(int index) const {
    return pages_->widget(index);
}

void MainWindow::selectTab(int index) {
    tabList_->list()->setCurrentRow(index);
    pages_->setCurrentIndex(index);
}

int MainWindow::currentTab() const {
    return tabList_ != nullptr ? tabList_->list()->currentRow() : -1;
}

void MainWindow::layoutPages() {
    const int margin = tabList_->margin();
    tabList_->resize(tabList_->width(), height());
    pages_->setGeometry(tabList_->width(), 0, qMax(0, width() - tabList_->width() - margin),
                        qMax(0, height() - margin));
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
