// How runs start their players: a file, or the next track of a folder, and what a failing
// player does to its run.
#include <algorithm>

#include "core/playback/playback_start.h"
#include "core/support/collation.h"
#include "core/support/log_categories.h"
#include "core/support/music_files.h"
#include "core/timed/run_engine.h"
#include "core/timed/run_texts.h"

namespace {

constexpr int kFolderCap = 300;
constexpr int kMaxFailuresInARow = 3;

bool sameFile(const FileEntry& a, const FileEntry& b) {
    return a.name.compare(b.name, Qt::CaseInsensitive) == 0;
}

void removeFirstNamed(std::vector<FileEntry>& list, const FileEntry& entry) {
    const auto it = std::find_if(list.begin(), list.end(),
                                 [&](const FileEntry& e) { return sameFile(e, entry); });
    if (it != list.end()) {
        list.erase(it);
    }
}

FileEntry entryFor(const QString& path) {
    return {path, path.mid(path.lastIndexOf(u'/') + 1)};
}

}  // namespace

void RunEngine::prepareFor(const Programme* programme) {
    if (programme == nullptr) {
        preparedKey_.clear();
        prepared_.discard();
        return;
    }
    // A player run ahead is kept for its start until the dispatcher takes it back: another
    // zone's start due in the same second must not silence it.
    if (prepared_.isRunning()) {
        return;
    }
    const QString device = deviceOf(zonesOf(*programme).first());
    const QString path = programmePath(*programme);
    const bool folder = programme->singleFile == 0;
    const QString key = preparationKey(*programme);
    if (key == preparedKey_) {
        return;
    }
    preparedKey_ = key;
    prepared_.discard();
    // A path the start would refuse is not opened here either (it may be a network mount).
    QString problem;
    if (!validateMusicPath(path, QString(), folder, problem)) {
        return;
    }
    QString file = path;
    if (folder) {
        // The first track of a new run; in random order this is the run's first draw.
        ActiveRun scratch;
        scratch.programme = *programme;
        FileEntry entry;
        if (chooseNextFile(scratch, entry) != TrackChoice::Chosen) {
            return;
        }
        file = entry.path;
    }
    prepared_.prepare(file, device);
}

QString RunEngine::preparationKey(const Programme& programme) const {
    return QStringLiteral("%1%2%3\n%4")
        .arg(programme.singleFile)
        .arg(programme.sequential)
        .arg(deviceOf(zonesOf(programme).first()), programmePath(programme));
}

QString RunEngine::startPlayer(ActiveRun& run, const QString& path, const QString& file) {
    // One player per zone of the run, started together; the first zone's may be open already.
    struct Output {
        QString zone;
        QString device;
        std::unique_ptr<MediaPlayer> player;
        bool prepared = false;
        bool running = false;  // run ahead on its own clock, and heard already
    };
    std::vector<Output> outputs;
    for (const QString& zone : run.zones) {
        const bool early = prepared_.isRunning();
        Output output{zone, deviceOf(zone), prepared_.take(path, deviceOf(zone))};
        output.prepared = output.player != nullptr;
        output.running = output.prepared && early;
        if (output.prepared) {
            preparedKey_.clear();
        } else {
            output.player = backend_.createPlayer();
        }
        const MediaPlayer* key = output.player.get();
        QObject::connect(output.player.get(), &MediaPlayer::eventOccurred, output.player.get(),
                         [this, key](const PlayerEvent& event) { handleRunEvent(key, event); });
        outputs.push_back(std::move(output));
    }
    std::vector<PlaybackTarget> targets;
    for (Output& output : outputs) {
        targets.push_back({output.player.get(),
                           output.device,
                           level(run, output.zone),
                           output.prepared,
                           output.running,
                           {}});
    }
    startPlaybackTogether(targets, path, clock_);
    QStringList failures;
    for (size_t i = 0; i < outputs.size(); ++i) {
        const PlaybackStart& started = targets[i].result;
        if (started.code == 0) {
            if (!run.player) {
                run.player = std::move(outputs[i].player);
                run.playerZone = outputs[i].zone;
            } else {
                run.followers.push_back({outputs[i].zone, std::move(outputs[i].player)});
            }
            continue;
        }
        qCWarning(lcTimed) << "start failed:" << path << outputs[i].device << Qt::hex
                           << static_cast<quint32>(started.code) << started.playerText;
        failures.append(startFailureText(run, file, started));
    }
    if (!run.player) {
        return failures.value(0);
    }
    // A run that sounds in some of its zones goes on there; the others' failures are told.
    for (const QString& failure : failures) {
        report(nowWhole(), failure);
    }
    return QString();
}

QString RunEngine::startFailureText(const ActiveRun& run, const QString& file,
                                    const PlaybackStart& started) const {
    const QString label = run.label();
    if (!started.openFailed) {
        return RunTexts::formatAdvice(label, file,
                                      backend_.errorText(started.code, started.playerText));
    }
    if (!backend_.isMediaFrameworkAvailable()) {
        return RunTexts::brokenEnvironment(label, file);
    }
    if (started.code == kErrorNoAudioDevice) {
        return RunTexts::invalidDevice(label, file);
    }
    if (backend_.areDecoderModulesIntact()) {
        return RunTexts::formatAdvice(label, file,
                                      backend_.errorText(started.code, started.playerText));
    }
    return RunTexts::missingModules(label, file);
}

bool RunEngine::startFileRun(ActiveRun& run, const LocalDateTime& now) {
    const QString path = programmePath(run.programme);
    QString problem;
    if (!validateMusicPath(path, QStringLiteral("音乐文件"), false, problem)) {
        report(now, RunTexts::pathProblem(run.label(), problem, path));
        return false;
    }
    const QString failure = startPlayer(run, path, QString());
    if (!failure.isEmpty()) {
        report(now, failure);
        return false;
    }
    report(now, RunTexts::started(run.label()));
    return true;
}

bool RunEngine::startNextTrack(ActiveRun& run, bool firstStart, const LocalDateTime& now) {
    freePlayer(run);
    const QString folder = programmePath(run.programme);
    QString problem;
    if (!validateMusicPath(folder, QStringLiteral("音乐文件夹"), true, problem)) {
        report(now, RunTexts::pathProblem(run.label(), problem, folder));
        return false;
    }
    for (;;) {
        FileEntry entry;
        const TrackChoice chosen = chooseNextFile(run, entry);
        if (chosen == TrackChoice::NoMusic) {
            report(now, RunTexts::noMusic(run.label()));
            return false;
        }
        if (chosen == TrackChoice::AllFailed) {
            report(now, RunTexts::allFailed(run.label()));
            return false;
        }
        const QString failure = startPlayer(run, entry.path, entry.name);
        if (failure.isEmpty()) {
            report(now, firstStart ? RunTexts::startedTrack(run.label(), entry.name)
                                   : RunTexts::switchedTrack(run.label(), entry.name));
            run.playedFiles.push_back(entry);
            return true;
        }
        report(now, failure);
        run.failedFiles.push_back(entry);
        firstStart = false;
        if (++run.consecutiveFailures >= kMaxFailuresInARow) {
            report(now, RunTexts::tooManyFailures(run.label()));
            return false;
        }
    }
}

RunEngine::TrackChoice RunEngine::chooseNextFile(ActiveRun& run, FileEntry& chosen) {
    for (;;) {
        run.candidates.clear();
        for (const QString& path : listPlayableFiles(programmePath(run.programme), kFolderCap)) {
            run.candidates.push_back(entryFor(path));
        }
        if (run.candidates.empty()) {
            return TrackChoice::NoMusic;
        }
        for (const FileEntry& failed : run.failedFiles) {
            removeFirstNamed(run.candidates, failed);
        }
        if (run.candidates.empty()) {
            return TrackChoice::AllFailed;
        }
        for (const FileEntry& played : run.playedFiles) {
            removeFirstNamed(run.candidates, played);
        }
        if (!run.candidates.empty()) {
            break;
        }
        // A cycle is over. The track just played stays out, so it does not come again at once.
        if (run.playedFiles.size() < 2) {
            run.playedFiles.clear();
        } else {
            run.playedFiles.erase(run.playedFiles.begin(), run.playedFiles.end() - 1);
        }
    }
    std::vector<FileEntry>& c = run.candidates;
    if (run.programme.sequential == 0 && c.size() >= 2) {
        // A new run's first draw was made when its player was prepared.
        const QString drawn = prepared_.path();
        if (run.playCount == 0 && run.failedFiles.empty() && !drawn.isEmpty()) {
            const auto it = std::find_if(c.begin(), c.end(),
                                         [&](const FileEntry& e) { return e.path == drawn; });
            if (it != c.end()) {
                chosen = *it;
                return TrackChoice::Chosen;
            }
        }
        std::shuffle(c.begin(), c.end(), random_);
        chosen = c[random_() % c.size()];
        return TrackChoice::Chosen;
    }
    const QCollator collator = nameCollator();
    chosen = *std::min_element(c.begin(), c.end(), [&](const FileEntry& a, const FileEntry& b) {
        return collator.compare(a.name, b.name) < 0;
    });
    return TrackChoice::Chosen;
}

bool RunEngine::handleFollowerEvent(const MediaPlayer* player, const PlayerEvent& event) {
    for (const auto& run : list_.runs()) {
        for (auto it = run->followers.begin(); it != run->followers.end(); ++it) {
            if (it->player.get() != player) {
                continue;
            }
            const bool folder = run->programme.singleFile == 0;
            const QString file = folder ? it->player->fileName() : QString();
            qCWarning(lcTimed) << "playback failed in zone" << it->zone << ":" << it->player->path()
                               << event.code << event.text;
            it->player->stop();
            it->player->close();
            run->followers.erase(it);
            report(nowWhole(),
                   event.isDeviceFailure()
                       ? RunTexts::deviceFailed(run->label(), file)
                       : RunTexts::playbackFailed(run->label(), file,
                                                  backend_.errorText(event.param1, event.text)));
            return true;
        }
    }
    return false;
}

void RunEngine::handleRunEvent(const MediaPlayer* player, const PlayerEvent& event) {
    if (!event.isFailure() || handleFollowerEvent(player, event)) {
        return;
    }
    const ActiveRunList& runs = list_.runs();
    const auto found = std::find_if(runs.begin(), runs.end(),
                                    [player](const auto& r) { return r->player.get() == player; });
    if (found == runs.end()) {
        return;
    }
    const int index = static_cast<int>(found - runs.begin());
    ActiveRun& run = **found;
    qCWarning(lcTimed) << "playback failed:" << run.player->path() << event.code << event.text;
    const bool folder = run.programme.singleFile == 0;
    const QString file = folder ? run.player->fileName() : QString();
    if (folder) {
        run.failedFiles.push_back(entryFor(run.player->path()));
    }
    freePlayer(run);
    const LocalDateTime now = nowWhole();
    report(now, event.isDeviceFailure()
                    ? RunTexts::deviceFailed(run.label(), file)
                    : RunTexts::playbackFailed(run.label(), file,
                                               backend_.errorText(event.param1, event.text)));
    if (!folder) {
        remove(index);
        return;
    }
    if (++run.consecutiveFailures >= kMaxFailuresInARow) {
        report(now, RunTexts::tooManyFailures(run.label()));
        remove(index);
        return;
    }
    if (run.programme.countByTracks != 0 && run.playCount >= run.programme.trackCount) {
        report(now, RunTexts::ended(run.label()));
        remove(index);
        return;
    }
    continueRun(index, now);
}
