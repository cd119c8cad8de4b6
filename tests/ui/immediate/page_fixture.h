#pragma once

#include <QFileDialog>
#include <QLineEdit>
#include <QRadioButton>
#include <QTreeView>
#include <memory>

#include "audio/duration_probe.h"
#include "core/timed/tick_timer.h"
#include "helpers/immediate_harness.h"
#include "helpers/ui_helpers.h"
#include "helpers/zone_store.h"
#include "ui/immediate/immediate_page.h"
#include "ui/immediate/limit_dialog.h"

// The immediate-play page over the engine on the simulated clock; the test ticks it.
struct ImmediatePageFixture {
    explicit ImmediatePageFixture(DurationProbe probe = probeDurationMs)
        : paths(AppPaths::forFolders(h.timed.folder.path(), h.timed.folder.path())),
          zones(h.timed.folder.path()) {
        page = std::make_unique<ImmediatePage>(ImmediatePage::Services{
            h.store, h.model, h.player, std::move(probe), paths, &zones.zones, zones.change()});
        zones.changed = [this] { page->refreshZones(); };
        page->ticks().stop();
        page->resize(1000, 700);
        page->show();
    }

    QTreeView* list() const { return page->playlistView(); }
    void select(const QList<int>& rows) {
        list()->clearSelection();
        for (int row : rows) {
            list()->selectionModel()->select(
                h.model.index(row, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
        }
    }
    QStringList names() const {
        QStringList result;
        for (int row = 0; row < h.model.rowCount(); ++row) {
            result.append(h.model.index(row, 0).data().toString());
        }
        return result;
    }
    // Plays the current track until it sounds.
    void play() {
        h.player.startImmediatePlay();
        h.tick();
    }

    ImmediateHarness h;
    AppPaths paths;
    ZoneStore zones;
    std::unique_ptr<ImmediatePage> page;
};

// Answers the limit dialog once it is open: types the text into the chosen field and confirms,
// or cancels when the text is empty.
inline void answerLimitDialog(bool byTracks, const QString& text) {
    whenModal([byTracks, text](QWidget* dialog) {
        auto* limit = qobject_cast<LimitDialog*>(dialog);
        ASSERT_NE(limit, nullptr);
        if (text.isEmpty()) {
            limit->reject();
            return;
        }
        (byTracks ? limit->tracksButton() : limit->secondsButton())->click();
        (byTracks ? limit->tracksEdit() : limit->secondsEdit())->setText(text);
        limit->accept();
    });
}
