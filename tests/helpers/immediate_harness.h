#pragma once

#include <QStringList>

#include "core/immediate/immediate_player.h"
#include "core/immediate/immediate_store.h"
#include "core/immediate/playlist_model.h"
#include "core/support/messages.h"
#include "helpers/engine_harness.h"

// Every message shown while it lives, with the answers given to questions in turn (No when
// none are left).
struct MessageLog {
    MessageLog() {
        setMessagePresenter([this](const MessageRequest& r) {
            shown.append(r);
            return r.yesNo && !answers.isEmpty() && answers.takeFirst();
        });
    }
    ~MessageLog() { setMessagePresenter(nullptr); }
    QStringList texts() const {
        QStringList result;
        for (const MessageRequest& r : shown) {
            result.append(r.text);
        }
        return result;
    }
    QList<MessageRequest> shown;
    QList<bool> answers;
};

// Immediate play beside timed play, on the simulated clock with scripted players.
struct ImmediateHarness {
    ImmediateHarness() {
        player.setRandomSeed(11);
        QObject::connect(&player, &ImmediatePlayer::statusChanged,
                         [this](const QString& text) { statuses.append(text); });
        QObject::connect(&store, &ImmediateStore::saved, [this] { ++saves; });
        timed.start(at(8, 0, 0));
    }

    // Tracks of that length in the scratch folder, appended to the playlist.
    void addTracks(const QStringList& names, qint64 durationMs = 180'000) {
        std::vector<PlaylistEntry> entries;
        for (const QString& name : names) {
            entries.push_back(makePlaylistEntry(timed.musicFile(name, durationMs), -1));
        }
        model.append(entries);
    }
    // One 50 ms tick of both timers, timed play first.
    void tick() {
        timed.dispatcher.dispatchTick();
        player.immediateTick();
        timed.clock.advanceMs(50);
    }
    void runForSeconds(double seconds) {
        for (int i = 0; i < static_cast<int>(seconds * 20); ++i) {
            tick();
        }
    }
    // The file names of the immediate players, in the order they were created.
    QStringList immediateTracks() const {
        QStringList names;
        for (const auto& p : timed.backend.players) {
            if (p->path.startsWith(timed.folder.path()) && isImmediate(p->path)) {
                names.append(p->path.mid(p->path.lastIndexOf(u'/') + 1));
            }
        }
        return names;
    }
    bool isImmediate(const QString& path) const {
        for (const PlaylistEntry& e : model.entries()) {
            if (entryPath(e) == path) {
                return true;
            }
        }
        return false;
    }
    double elapsedSeconds(const LocalDateTime& from) const {
        return (timed.clock.ticks() - dateTimeTicks(from)) / 1e7;
    }

    MessageLog messages;
    EngineHarness timed;
    ImmediateStore store{timed.folder.path(), timed.folder.path()};
    PlaylistModel model{store.settings()};
    ImmediatePlayer player{
        {timed.clock, timed.backend, store, model, timed.settings, timed.runs.ducking()}};
    QStringList statuses;
    int saves = 0;
};
