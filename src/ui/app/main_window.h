#pragma once

#include <QWidget>

#include "core/storage/app_paths.h"

class QStackedWidget;
class TabListPanel;
class TrayArea;

// The program's one top-level window: the tab list on the left and, to its right, the page
// of the selected tab. Closing it asks whether to hide it in the tray or to exit.
class MainWindow : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kTabs = 6;
    static constexpr int kIntroTab = 0;
    static constexpr int kTimedTab = 1;
    static constexpr int kImmediateTab = 2;
    static constexpr int kHolidaysTab = 3;
    static constexpr int kSettingsTab = 4;
    static constexpr int kHelpTab = 5;

    MainWindow(const AppPaths& paths, TrayArea* tray, QWidget* parent = nullptr);

    // The screen's logical dots per inch over 96, measured once, between 1.0 and 3.0.
    double dpiScale() const { return dpiScale_; }
    void setPage(int index, QWidget* page);
    QWidget* page(int index) const;
    TabListPanel* tabList() const { return tabList_; }
    TrayArea& tray() const { return *tray_; }
    void selectTab(int index);
    int currentTab() const;

    // "最小化到托盘": the window is hidden only once the icon is there.
    void hideToTray();
    // "显示主界面": after 350 ms the icon goes and the window comes back.
    void showFromTray();
    // A second copy asked for the window.
    void bringForward();

  signals:
    void exitRequested();

  protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void layoutPages();

    AppPaths paths_;
    TrayArea* tray_;
    double dpiScale_ = 1.0;
    TabListPanel* tabList_;
    QStackedWidget* pages_;
};

double measureDpiScale();
