#pragma once

#include <QTreeWidget>

#include "support/ui_helpers.h"
#include "timed/engine_harness.h"
#include "timed/timed_page.h"

// The timed-play page over a real engine with scripted players on a simulated clock.
struct PageFixture {
    PageFixture() : paths(AppPaths::forFolders(harness.folder.path(), harness.folder.path())) {
        paths.dpiScale = 1.0;
        page = std::make_unique<TimedPage>(TimedPage::Services{
            harness.table, harness.runs, harness.dispatcher, harness.clock, paths});
        harness.runs.setNowPlayingView(page.get());
        harness.dispatcher.setStatusView(page.get());
        QObject::connect(page.get(), &TimedPage::saved, [this] { ++saves; });
        harness.start(at(8, 0, 0));
        page->resize(1100, 800);
        page->show();
    }
    ~PageFixture() {
        harness.runs.setNowPlayingView(nullptr);
        harness.dispatcher.setStatusView(nullptr);
    }

    Programme& add(const QString& name, std::initializer_list<ClockTime> starts = {{9, 0, 0}}) {
        Programme& p =
            harness.addProgramme(name, harness.musicFile(name + QStringLiteral(".mp3")), starts);
        page->refill();
        return p;
    }
    void select(const QList<int>& rows) {
        page->programmeList()->clearSelection();
        for (int row : rows) {
            page->programmeList()->topLevelItem(row)->setSelected(true);
        }
    }
    QString cell(int row, int column) const {
        return page->programmeList()->topLevelItem(row)->text(column);
    }

    RecordedMessages messages;
    EngineHarness harness;
    AppPaths paths;
    std::unique_ptr<TimedPage> page;
    int saves = 0;
};
