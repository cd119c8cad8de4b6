#include "timed/run_engine.h"

#include <algorithm>
#include <chrono>
#include <cmath>

#include "audio/volume_scale.h"
#include "support/collation.h"
#include "support/date_text.h"
#include "support/log_categories.h"
#include "support/music_files.h"
#include "timed/run_texts.h"

namespace {

constexpr int kFolderCap = 300;
constexpr int kMaxFailuresInARow = 3;
constexpr int kClockBackSeconds = 15;
constexpr int kEndFadeSeconds = 7;

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

QString ActiveRun::suffix() const {
    return manualStart != 0 ? QStringLiteral("(手动)") : QString();
}

RunEngine::RunEngine(Clock& clock, AudioBackend& backend, TimedEventReporter& reporter,
                     const SystemSettings& settings)
    : clock_(clock),
      backend_(backend),
      reporter_(reporter),
      settings_(settings),
      random_(static_cast<unsigned>(std::chrono::system_clock::now().time_since_epoch().count())) {}

RunEngine::~RunEngine() {
    for (const auto& run : list_.runs()) {
        freePlayer(*run);
    }
}

LocalDateTime RunEngine::nowWhole() const {
    return wholeSecond(clock_.now());
}

void RunEngine::report(const LocalDateTime& time, const QString& text) {
    reporter_.reportTimedEvent(time, text);
}

double RunEngine::duckTarget() const {
    const bool active = immediateActive_ && immediateActive_();
    return active ? (100 - settings_.duckPercent) / 100.0 : 1.0;
}

double RunEngine::level(const ActiveRun& run) const {
    return run.programme.volume * duckGain_ * run.fadeGain;
}

void RunEngine::applyLevel(ActiveRun& run, double fraction) {
    if (run.player) {
        run.player->setVolume(levelToAttenuation(fraction * level(run)));
    }
}

void RunEngine::freePlayer(ActiveRun& run) {
    if (run.player) {
        run.player->stop();
        run.player->close();
        run.player.reset();
    }
}

void RunEngine::remove(int index) {
    freePlayer(list_.at(index));
    list_.take(index);
}

void RunEngine::fadeOut(ActiveRun& run, int stepMs) {
    fadeOutInFiftySteps([&](double fraction) { applyLevel(run, fraction); }, stepMs, clock_);
}

void RunEngine::restartFile(ActiveRun& run) {
    clock_.sleepMs(0);
    run.player->setVolume(kSilentAttenuation);
    run.player->seekMs(0);
    ++run.playCount;
}

void RunEngine::append(std::unique_ptr<ActiveRun> run, const QString& progress) {
    list_.append(std::move(run), progress);
}

void RunEngine::tickActiveRuns(const LocalDateTime& now) {
    const double target = duckTarget();
    bool gainChanged = false;
    if (duckGain_ > target) {
        duckGain_ = std::max(target, duckGain_ - 0.05 / settings_.duckFadeOutSeconds);
        gainChanged = true;
    } else if (duckGain_ < target) {
        duckGain_ = std::min(target, duckGain_ + 0.05 / settings_.duckFadeInSeconds);
        gainChanged = true;
    }

    for (int i = 0; i < list_.size();) {
        ActiveRun& run = list_.at(i);
        const Programme& p = run.programme;
        const qint64 elapsed = secondsBetween(now, p.lastStartTime);

        if (elapsed < -kClockBackSeconds && p.countByTracks == 0) {
            report(now, RunTexts::clockWentBack(run.label(), run.player != nullptr));
            if (run.player) {
                fadeOut(run, kFadeStepMs);
            }
            remove(i);
            continue;
        }

        if (!run.player) {
            if (i > 0) {
                ++i;
                continue;
            }
            const bool started =
                p.singleFile != 0 ? startFileRun(run, now) : startNextTrack(run, true, now);
            if (!started) {
                remove(i);
                continue;
            }
            run.playCount = 1;
            if (p.singleFile == 0) {
                list_.setTrack(i, run.player->fileName());
            }
            list_.setProgress(i, p.countByTracks == 0 ? formatProgress(p.secondsCount, elapsed)
                                 : p.singleFile != 0  ? RunTexts::passes(1, p.trackCount)
                                                      : RunTexts::tracks(1, p.trackCount));
            ++i;
            continue;
        }

        if (p.countByTracks != 0) {
            if (gainChanged) {
                applyLevel(run, 1.0);
            }
            if (!run.player->isAtEnd()) {
                ++i;
                continue;
            }
            if (run.playCount >= p.trackCount) {
                report(now, RunTexts::ended(run.label()));
                remove(i);
                continue;
            }
            run.consecutiveFailures = 0;
            if (continueRun(i, now)) {
                ++i;
            }
            continue;
        }

        // Counted in seconds: the last seconds fade out, and the music loops until then.
        const int total = p.secondsCount;
        list_.setProgress(i, formatProgress(total, elapsed));
        if (gainChanged && run.fadeGain >= 1.0) {
            applyLevel(run, 1.0);
        }
        const int fadeSeconds = std::min(total, kEndFadeSeconds);
        if (run.fadeGain < 1.0) {
            run.fadeGain = std::max(0.0, run.fadeGain - 0.05 / fadeSeconds);
            applyLevel(run, 1.0);
            if (run.fadeGain <= 0.0) {
                report(now, RunTexts::ended(run.label()));
                remove(i);
                continue;
            }
        } else if (elapsed >= total - fadeSeconds) {
            run.fadeGain = 0.999;
        }
        if (!run.player->isAtEnd()) {
            ++i;
            continue;
        }
        run.consecutiveFailures = 0;
        if (continueRun(i, now)) {
            ++i;
        }
    }
}

bool RunEngine::continueRun(int index, const LocalDateTime& now) {
    ActiveRun& run = list_.at(index);
    const Programme& p = run.programme;
    if (p.singleFile != 0) {
        restartFile(run);
        if (p.countByTracks != 0) {
            list_.setProgress(index, RunTexts::passes(run.playCount, p.trackCount));
        }
        fadeIn(*run.player, level(run), clock_);
        return true;
    }
    if (!startNextTrack(run, false, now)) {
        remove(index);
        return false;
    }
    ++run.playCount;
    if (p.countByTracks != 0) {
        list_.setProgress(index, RunTexts::tracks(run.playCount, p.trackCount));
    }
    list_.setTrack(index, run.player->fileName());
    return true;
}

QString RunEngine::startPlayer(ActiveRun& run, const QString& path, const QString& file) {
    const QString label = run.label();
    std::unique_ptr<MediaPlayer> player = backend_.createPlayer();
    const MediaPlayer* key = player.get();
    QObject::connect(player.get(), &MediaPlayer::eventOccurred, player.get(),
                     [this, key](const PlayerEvent& event) { handleRunEvent(key, event); });
    const PlaybackStart started =
        startPlayback(*player, path, outputDeviceName(settings_), level(run), clock_);
    if (started.code == 0) {
        run.player = std::move(player);
        return QString();
    }
    qCWarning(lcTimed) << "start failed:" << path << Qt::hex << static_cast<quint32>(started.code)
                       << started.playerText;
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
        const int chosen = chooseNextFile(run, entry);
        if (chosen == 0) {
            report(now, RunTexts::noMusic(run.label()));
            return false;
        }
        if (chosen < 0) {
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

int RunEngine::chooseNextFile(ActiveRun& run, FileEntry& chosen) {
    for (;;) {
        run.candidates.clear();
        for (const QString& path : listPlayableFiles(programmePath(run.programme), kFolderCap)) {
            run.candidates.push_back(entryFor(path));
        }
        if (run.candidates.empty()) {
            return 0;
        }
        for (const FileEntry& failed : run.failedFiles) {
            removeFirstNamed(run.candidates, failed);
        }
        if (run.candidates.empty()) {
            return -1;
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
        std::shuffle(c.begin(), c.end(), random_);
        chosen = c[random_() % c.size()];
        return 1;
    }
    const QCollator collator = nameCollator();
    chosen = *std::min_element(c.begin(), c.end(), [&](const FileEntry& a, const FileEntry& b) {
        return collator.compare(a.name, b.name) < 0;
    });
    return 1;
}

void RunEngine::handleRunEvent(const MediaPlayer* player, const PlayerEvent& event) {
    if (!event.isFailure()) {
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

void RunEngine::stopRun(int index, const QString& reason, int fadeMs, const LocalDateTime& now) {
    if (index < 0 || index >= list_.size()) {
        return;
    }
    ActiveRun& run = list_.at(index);
    report(now, run.player ? RunTexts::stopping(run.label(), reason)
                           : RunTexts::stopped(run.label(), reason));
    if (run.player) {
        fadeOut(run, fadeMs / 50);
    }
    remove(index);
}

void RunEngine::stopAllRuns(const QString& reason, int fadeMs, const LocalDateTime& now) {
    while (!list_.isEmpty()) {
        stopRun(0, reason, fadeMs, now);
    }
}

void RunEngine::stopRunsOfProgramme(const QString& name, const QString& reason) {
    for (int index = findRunByName(name, true); index >= 0; index = findRunByName(name, true)) {
        stopRun(index, reason, 300, nowWhole());
    }
}

int RunEngine::findRunByName(const QString& name, bool includeManual) const {
    for (int i = 0; i < list_.size(); ++i) {
        const ActiveRun& run = *list_.runs()[static_cast<size_t>(i)];
        if ((includeManual || run.manualStart == 0) &&
            run.name().compare(name, Qt::CaseInsensitive) == 0) {
            return i;
        }
    }
    return -1;
}

void RunEngine::scaleAllRuns(double fraction) {
    for (const auto& run : list_.runs()) {
        applyLevel(*run, fraction);
    }
    if (fraction <= 0.0) {
        for (const auto& run : list_.runs()) {
            freePlayer(*run);
        }
        list_.takeAll();
    }
}

bool RunEngine::hasRunOf(const QString& name) const {
    return findRunByName(name, true) >= 0;
}

void RunEngine::stopRunsOf(const QString& name, const QString& reason) {
    stopRunsOfProgramme(name, reason);
}
