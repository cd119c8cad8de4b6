#pragma once

#include <QAbstractItemModelTester>
#include <QStringList>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "core/holidays/holiday_calendar.h"
#include "core/timed/dispatcher.h"
#include "core/timed/run_engine.h"
#include "helpers/simulated_clock.h"
#include "helpers/temp_folder.h"

// What happened to one player, kept after the engine freed it.
class ScriptedPlayer;

struct PlayerRecord {
    QString path;
    QString device;
    ScriptedPlayer* live = nullptr;  // until the engine frees the player
    std::vector<int> volumes;
    int seeks = 0;
    bool running = false;
    bool closed = false;
    qint64 runStartTicks = 0;
    qint64 positionBaseMs = 0;
    qint64 clockStartTicks = 0;  // run ahead (runAt) to be heard from then; 0 when not
    qint64 closedTicks = 0;
    // Emits the event as the player would, while it is open and not yet freed.
    void emitEvent(const PlayerEvent& event);
};

struct MediaScript {
    std::map<QString, qint64> durationsMs;   // by file name; others last kDefaultMs
    std::map<QString, qint32> failingOpens;  // file name -> result code
    qint64 defaultMs = 180'000;
    bool frameworkAvailable = true;
    bool modulesIntact = true;
    bool clockStarts = false;  // players can be run ahead on their own clock
};

// A player that plays by the simulated clock.
class ScriptedPlayer : public MediaPlayer {
  public:
    ScriptedPlayer(SimulatedClock& clock, MediaScript& script, std::shared_ptr<PlayerRecord> record)
        : clock_(clock), script_(script), record_(std::move(record)) {
        record_->live = this;
    }
    ~ScriptedPlayer() override { record_->live = nullptr; }
    qint32 open(const QString& path, const QString&) override;
    qint32 run() override;
    qint32 stop() override;
    void close() override {
        record_->closed = true;
        record_->closedTicks = clock_.ticks();
    }
    void emitEvent(const PlayerEvent& event) {
        if (!record_->closed) {
            emit eventOccurred(event);
        }
    }
    qint32 setVolume(int attenuation) override {
        record_->volumes.push_back(attenuation);
        return 0;
    }
    qint64 getDurationMs() override { return duration_; }
    qint64 getPositionMs() override;
    void seekMs(qint64 ms) override;
    bool isAtEnd() override { return getPositionMs() >= duration_; }
    QString path() const override { return record_->path; }
    QString lastErrorText() const override { return QStringLiteral("scripted failure"); }
    bool runAt(const LocalDateTime& at, const std::vector<int>& steps, int stepMs) override;
    bool startsAt(const LocalDateTime& at) const override;

  private:
    SimulatedClock& clock_;
    MediaScript& script_;
    std::shared_ptr<PlayerRecord> record_;
    qint64 duration_ = 0;
    qint64 wallAheadOfSteady_ = 0;  // when run ahead
};

class ScriptedBackend : public AudioBackend {
  public:
    explicit ScriptedBackend(SimulatedClock& clock) : clock_(clock) {}
    std::unique_ptr<MediaPlayer> createPlayer() override;
    bool isMediaFrameworkAvailable() override { return script.frameworkAvailable; }
    bool areDecoderModulesIntact() override { return script.modulesIntact; }
    QString errorText(qint32 code, const QString& playerText) override {
        return QStringLiteral("%1 (%2)").arg(playerText).arg(static_cast<quint32>(code), 0, 16);
    }

    MediaScript script;
    std::vector<std::shared_ptr<PlayerRecord>> players;

  private:
    SimulatedClock& clock_;
};

struct LoggedEvent {
    LocalDateTime time;
    QString text;
};

class RecordingReporter : public TimedEventReporter {
  public:
    void reportTimedEvent(const LocalDateTime& time, const QString& text) override {
        events.push_back({time, text});
        if (listener) {
            listener(time, text);
        }
    }
    std::vector<LoggedEvent> events;
    // Told of every event, as the play log's listeners are.
    std::function<void(const LocalDateTime&, const QString&)> listener;
    // "hh:mm:ss text" lines, for comparing whole sequences.
    QStringList lines() const;
    QStringList texts() const;
};

// What the now-playing and programme lists show, read from their models, with the history of
// the changes they announced.
class ListWatch {
  public:
    ListWatch(NowPlayingModel& runs, ProgrammeListModel& programmes);
    struct Row {
        QString name;
        QString progress;
        QString track;
    };
    std::vector<Row> rows() const;
    // The status cell of each row, as shown.
    std::map<int, QString> statuses() const;
    int statusWrites = 0;  // status cells announced as changed
    QStringList progressHistory;

  private:
    NowPlayingModel& runs_;
    ProgrammeListModel& programmes_;
};

// Timed play on a simulated clock, with real music paths in a scratch folder.
class EngineHarness {
  public:
    EngineHarness();

    // An empty file in the scratch folder (the scripted player never reads it).
    QString musicFile(const QString& name, qint64 durationMs = -1);
    QString musicFolder(const QString& folder, const QStringList& names);
    // Adds a programme playing the path.
    Programme& addProgramme(const QString& name, const QString& path,
                            std::initializer_list<ClockTime> starts, bool countByTracks = true,
                            int count = 1, bool queueWhenBusy = false);

    // Sets the clock and fills the programme list, as the program does after loading.
    void start(const LocalDateTime& t) {
        clock.set(t);
        programmeList.reload();
    }
    // Ticks every 50 ms until the clock reaches the moment.
    void runUntil(const LocalDateTime& t);
    void runForSeconds(double seconds);
    void tick();

    TempFolder folder;
    SimulatedClock clock;
    ScriptedBackend backend{clock};
    RecordingReporter log;
    SystemSettings settings = firstRunSettings();
    ProgrammeTable table;
    HolidayCalendar calendar;
    RunEngine runs{clock, backend, log, settings};
    Dispatcher dispatcher{clock, table, calendar, runs, log};
    ProgrammeListModel programmeList{table, clock};
    ListWatch rows{runs.nowPlaying(), programmeList};

  private:
    // Every change of either list is checked against the rules of item models.
    QAbstractItemModelTester runsTester_{&runs.nowPlaying(),
                                         QAbstractItemModelTester::FailureReportingMode::Fatal};
    QAbstractItemModelTester programmesTester_{
        &programmeList, QAbstractItemModelTester::FailureReportingMode::Fatal};
};

LocalDateTime at(int h, int m, int s, int ms = 0);
