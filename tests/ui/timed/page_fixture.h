#pragma once

#include <QTreeView>

#include "helpers/engine_harness.h"
#include "helpers/ui_helpers.h"
#include "helpers/zone_store.h"
#include "ui/timed/timed_page.h"

// The timed-play page over a real engine with scripted players on a simulated clock.
struct PageFixture {
    PageFixture()
        : paths(AppPaths::forFolders(harness.folder.path(), harness.folder.path())),
          zones(harness.folder.path()) {
        paths.dpiScale = 1.0;
        page = std::make_unique<TimedPage>(
            TimedPage::Services{harness.programmeList, harness.runs, harness.dispatcher, logRows,
                                paths, nullptr, nullptr, &zones.zones, zones.change()});
        harness.programmeList.showZones(&zones.zones);
        zones.changed = [this] { harness.programmeList.showZones(&zones.zones); };
        QObject::connect(page.get(), &TimedPage::saved, [this] { ++saves; });
        harness.start(at(8, 0, 0));
        page->resize(1100, 800);
        page->show();
    }
    Programme& add(const QString& name, std::initializer_list<ClockTime> starts = {{9, 0, 0}}) {
        Programme& p =
            harness.addProgramme(name, harness.musicFile(name + QStringLiteral(".mp3")), starts);
        return p;
    }
    void select(const QList<int>& rows) {
        QItemSelectionModel* selection = page->programmeList()->selectionModel();
        selection->clearSelection();
        for (int row : rows) {
            selection->select(harness.programmeList.index(row, 0),
                              QItemSelectionModel::Select | QItemSelectionModel::Rows);
        }
    }
    bool isSelected(int row) const {
        return page->programmeList()->selectionModel()->isRowSelected(row);
    }
    QString cell(int row, int column) const {
        return harness.programmeList.index(row, column).data().toString();
    }
    // A cell of the now-playing list.
    QString playing(int row, int column) const {
        return harness.runs.nowPlaying().index(row, column).data().toString();
    }

    RecordedMessages messages;
    EngineHarness harness;
    LogRowsModel logRows;
    AppPaths paths;
    ZoneStore zones;
    std::unique_ptr<TimedPage> page;
    int saves = 0;
};
