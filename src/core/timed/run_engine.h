#pragma once

#include <QObject>
#include <functional>
#include <memory>
#include <random>

#include "core/playback/ducking.h"
#include "core/playback/media_player.h"
#include "core/playback/playback_start.h"
#include "core/settings/system_settings.h"
#include "core/support/clock.h"
#include "core/timed/active_run.h"
#include "core/timed/now_playing_model.h"
#include "core/timed/play_log.h"
#include "core/timed/prepared_player.h"
#include "core/timed/programme_table.h"
#include "core/zones/zone_setup.h"

// Plays the runs of timed play: starts the head of the list, counts passes, tracks or
// seconds, fades the end of runs counted in seconds, skips failing tracks, reports every
// event and removes runs that end, which lets the next one start.
class RunEngine : public RunningProgrammes {
  public:
    RunEngine(Clock& clock, AudioBackend& backend, TimedEventReporter& reporter,
              const SystemSettings& settings);
    ~RunEngine() override;

    void setRandomSeed(unsigned seed) { random_.seed(seed); }
    // The zones (null or empty: one output, the program-wide one). Kept by the caller.
    void setZones(const ZoneSetup* zones);
    // The zones a programme sounds in: its zones, or {""} for the program-wide output.
    QStringList zonesOf(const Programme& programme) const;
    // The output device of a zone at this moment; a zone that is gone plays on the
    // program-wide output.
    QString deviceOf(const QString& zone) const;

    // Called every 50 ms with the tick's moment (milliseconds 0).
    void tickActiveRuns(const LocalDateTime& now);
    void stopRun(int index, const QString& reason, int fadeMs, const LocalDateTime& now);
    void stopAllRuns(const QString& reason, int fadeMs, const LocalDateTime& now);
    // Stops every run that sounds, or waits to sound, in one of the zones; the playing ones
    // fade out together.
    void stopRunsSharing(const QStringList& zones, const QString& reason, int fadeMs,
                         const LocalDateTime& now);
    // Whether a run sounds or waits in one of the zones.
    bool hasRunSharing(const QStringList& zones) const;
    // The first run that has no player and waits for nobody: it starts at the next tick.
    const ActiveRun* nextToStart() const;
    void stopRunsOfProgramme(const QString& name, const QString& reason);
    int findRunByName(const QString& name, bool includeManual) const;
    // Every run at this fraction of its level; at 0 or below all runs end silently.
    void scaleAllRuns(double fraction);

    // The dispatcher's end of the list.
    void append(std::unique_ptr<ActiveRun> run, const QString& progress);
    // Opens now the player of a start that comes within seconds: the programme's file, or
    // the track its folder would start with. nullptr frees what was prepared.
    void prepareFor(const Programme* programme);
    const PreparedPlayer& prepared() const { return prepared_; }

    // A start run ahead: the prepared player of the programme's start at `at` runs on its own
    // clock, heard on the second rather than at the tick after it. Only for a start that the
    // dispatcher found would sound at once in its one zone. False when it cannot be.
    bool startEarly(const Programme& programme, const LocalDateTime& at);
    struct EarlyStart {
        QString name;      // of the programme
        LocalDateTime at;  // its start
    };
    // The start run ahead; nullptr when there is none (taken back, failed, or its run took
    // the player).
    const EarlyStart* earlyStart() const { return prepared_.isRunning() ? &early_ : nullptr; }
    // Whether it is the programme's start, with the file and output it has now, and its player
    // is still heard first at that second by the system clock as it reads now (not after the
    // clock was set).
    bool earlyStartFits(const Programme& programme) const;
    // Whether the run queued for it is the one that the next tick starts: no player yet, and
    // it waits for nobody.
    bool earlyStartQueued() const;
    // Takes the start run ahead back: silent and freed, to be prepared again.
    void cancelEarlyStart();
    const ActiveRunList& runs() const { return list_.runs(); }
    bool isEmpty() const { return list_.isEmpty(); }
    // The now-playing list.
    NowPlayingModel& nowPlaying() { return list_; }
    const NowPlayingModel& nowPlaying() const { return list_; }
    // The gain that lowers every run while something plays over timed play.
    Ducking& ducking() { return ducking_; }
    const Ducking& ducking() const { return ducking_; }

    bool hasRunOf(const QString& name) const override;
    void stopRunsOf(const QString& name, const QString& reason) override;

  private:
    // An event of the player of one of the runs.
    void handleRunEvent(const MediaPlayer* player, const PlayerEvent& event);
    bool startFileRun(ActiveRun& run, const LocalDateTime& now);
    bool startNextTrack(ActiveRun& run, bool firstStart, const LocalDateTime& now);
    enum class TrackChoice { Chosen, NoMusic, AllFailed };
    TrackChoice chooseNextFile(ActiveRun& run, FileEntry& chosen);
    // At the end of a pass or track: the file again, or the folder's next track. False when
    // the run had to be removed.
    bool continueRun(int index, const LocalDateTime& now);
    // Opens and starts a player at silence, then fades it in. Empty text on success.
    QString startPlayer(ActiveRun& run, const QString& path, const QString& file);
    QString startFailureText(const ActiveRun& run, const QString& file,
                             const PlaybackStart& started) const;
    void remove(int index);
    // What a prepared player is prepared for: the file or folder, its order, the output.
    QString preparationKey(const Programme& programme) const;
    void freePlayer(ActiveRun& run);
    void applyLevel(ActiveRun& run, double fraction);
    double level(const ActiveRun& run, const QString& zone) const;
    // The run's first player and its followers, with their zones.
    std::vector<std::pair<MediaPlayer*, QString>> playersOf(ActiveRun& run) const;
    // A run waits while an earlier run of the list shares one of its zones.
    bool waitsBehindEarlier(int index) const;
    void fadeInRun(ActiveRun& run);
    // A failure of one of a run's further zones: that zone falls silent, the run goes on.
    bool handleFollowerEvent(const MediaPlayer* player, const PlayerEvent& event);
    void fadeOut(ActiveRun& run, int stepMs);
    void restartFile(ActiveRun& run);
    void report(const LocalDateTime& time, const QString& text);
    LocalDateTime nowWhole() const;

    Clock& clock_;
    AudioBackend& backend_;
    TimedEventReporter& reporter_;
    const SystemSettings& settings_;
    NowPlayingModel list_;
    Ducking ducking_;
    const ZoneSetup* zones_ = nullptr;
    std::mt19937 random_;
    PreparedPlayer prepared_{backend_};
    QString preparedKey_;  // what prepareFor was last asked for
    EarlyStart early_;
};
