#include "helpers/engine_harness.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>

#include "core/support/date_text.h"
#include "helpers/programme_builders.h"

namespace {

QString fileNameOf(const QString& path) {
    return path.mid(path.lastIndexOf(u'/') + 1);
}

}  // namespace

LocalDateTime at(int h, int m, int s, int ms) {
    return makeDateTime(2024, 5, 6, h, m, s, ms);  // a Monday
}

qint32 ScriptedPlayer::open(const QString& path, const QString& device) {
    record_->path = path;
    record_->device = device;
    const QString name = fileNameOf(path);
    const auto failing = script_.failingOpens.find(name);
    if (failing != script_.failingOpens.end()) {
        return failing->second;
    }
    const auto known = script_.durationsMs.find(name);
    duration_ = known != script_.durationsMs.end() ? known->second : script_.defaultMs;
    return 0;
}

qint32 ScriptedPlayer::run() {
    record_->running = true;
    record_->runStartTicks = clock_.ticks();
    return 0;
}

bool ScriptedPlayer::runAt(const LocalDateTime& at, const std::vector<int>& steps, int) {
    if (!script_.clockStarts || record_->running || dateTimeTicks(at) <= clock_.ticks()) {
        return false;
    }
    record_->running = true;
    record_->runStartTicks = dateTimeTicks(at);
    record_->clockStartTicks = record_->runStartTicks;
    record_->volumes.push_back(steps.back());
    wallAheadOfSteady_ = clock_.ticks() - clock_.steadyTicks();
    return true;
}

bool ScriptedPlayer::startsAt(const LocalDateTime& at) const {
    return record_->clockStartTicks == dateTimeTicks(at) &&
           clock_.ticks() - clock_.steadyTicks() == wallAheadOfSteady_;
}

qint32 ScriptedPlayer::stop() {
    record_->positionBaseMs = getPositionMs();
    record_->running = false;
    return 0;
}

qint64 ScriptedPlayer::getPositionMs() {
    // A player run ahead plays nothing before its moment.
    const qint64 played =
        record_->running ? std::max<qint64>(0, (clock_.ticks() - record_->runStartTicks) / 10'000)
                         : 0;
    return std::min(duration_, record_->positionBaseMs + played);
}

void ScriptedPlayer::seekMs(qint64 ms) {
    ++record_->seeks;
    record_->positionBaseMs = std::clamp<qint64>(ms, 0, duration_);
    record_->runStartTicks = clock_.ticks();
}

void PlayerRecord::emitEvent(const PlayerEvent& event) {
    if (live != nullptr) {
        live->emitEvent(event);
    }
}

std::unique_ptr<MediaPlayer> ScriptedBackend::createPlayer() {
    auto record = std::make_shared<PlayerRecord>();
    players.push_back(record);
    return std::make_unique<ScriptedPlayer>(clock_, script, record);
}

QStringList RecordingReporter::lines() const {
    QStringList result;
    for (const LoggedEvent& e : events) {
        result.append(
            QString::asprintf("%02d:%02d:%02d ", e.time.hour, e.time.minute, e.time.second) +
            e.text);
    }
    return result;
}

QStringList RecordingReporter::texts() const {
    QStringList result;
    for (const LoggedEvent& e : events) {
        result.append(e.text);
    }
    return result;
}

EngineHarness::EngineHarness() {
    runs.setRandomSeed(7);
    dispatcher.setProgrammeList(&programmeList);
}

ListWatch::ListWatch(NowPlayingModel& runs, ProgrammeListModel& programmes)
    : runs_(runs), programmes_(programmes) {
    QObject::connect(&runs, &QAbstractItemModel::dataChanged,
                     [this](const QModelIndex& from, const QModelIndex&) {
                         const QString text =
                             runs_.index(from.row(), NowPlayingModel::Progress).data().toString();
                         if (from.column() <= NowPlayingModel::Progress &&
                             (progressHistory.isEmpty() || progressHistory.last() != text)) {
                             progressHistory.append(text);
                         }
                     });
    QObject::connect(&programmes, &QAbstractItemModel::dataChanged,
                     [this](const QModelIndex& from, const QModelIndex& to) {
                         if (from.column() <= ProgrammeListModel::Status &&
                             to.column() >= ProgrammeListModel::Status) {
                             ++statusWrites;
                         }
                     });
}

std::vector<ListWatch::Row> ListWatch::rows() const {
    std::vector<Row> result;
    for (int row = 0; row < runs_.rowCount(); ++row) {
        result.push_back({runs_.index(row, NowPlayingModel::Name).data().toString(),
                          runs_.index(row, NowPlayingModel::Progress).data().toString(),
                          runs_.index(row, NowPlayingModel::Track).data().toString()});
    }
    return result;
}

std::map<int, QString> ListWatch::statuses() const {
    std::map<int, QString> result;
    for (int row = 0; row < programmes_.rowCount(); ++row) {
        result[row] = programmes_.index(row, ProgrammeListModel::Status).data().toString();
    }
    return result;
}

QString EngineHarness::musicFile(const QString& name, qint64 durationMs) {
    const QString path = folder.file(name);
    writeBytes(path, QByteArray());
    if (durationMs >= 0) {
        backend.script.durationsMs[name] = durationMs;
    }
    return path;
}

QString EngineHarness::musicFolder(const QString& name, const QStringList& names) {
    const QString path = folder.file(name);
    QDir().mkpath(path);
    for (const QString& file : names) {
        writeBytes(path + u'/' + file, QByteArray());
    }
    return path;
}

Programme& EngineHarness::addProgramme(const QString& name, const QString& path,
                                       std::initializer_list<ClockTime> starts, bool countByTracks,
                                       int count, bool queueWhenBusy) {
    Programme p = makeProgramme(name, starts, countByTracks, count);
    setProgrammePath(p, path);
    p.singleFile = QFileInfo(path).isDir() ? 0 : 1;
    p.sequential = 1;
    p.queueWhenBusy = queueWhenBusy ? 1 : 0;
    table.append(p);
    programmeList.reload();
    return table[table.size() - 1];
}

void EngineHarness::tick() {
    dispatcher.dispatchTick();
    clock.advanceMs(50);
}

void EngineHarness::runUntil(const LocalDateTime& t) {
    const qint64 end = dateTimeTicks(t);
    while (clock.ticks() < end) {
        tick();
    }
}

void EngineHarness::runForSeconds(double seconds) {
    const qint64 end = clock.ticks() + static_cast<qint64>(seconds * 10'000'000);
    while (clock.ticks() < end) {
        tick();
    }
}
