#include "core/timed/run_engine.h"

#include <algorithm>
#include <chrono>
#include <cmath>

#include "core/playback/volume_scale.h"
#include "core/support/date_text.h"
#include "core/timed/run_texts.h"

namespace {

constexpr int kEndFadeSeconds = 7;

}  // namespace

QString ActiveRun::suffix() const {
    return manualStart != 0 ? QStringLiteral("(手动)") : QString();
}

bool ActiveRun::sharesZoneWith(const QStringList& others) const {
    for (const QString& zone : zones) {
        if (others.contains(zone)) {
            return true;
        }
    }
    return false;
}

RunEngine::RunEngine(Clock& clock, AudioBackend& backend, TimedEventReporter& reporter,
                     const SystemSettings& settings)
    : clock_(clock),
      backend_(backend),
      reporter_(reporter),
      settings_(settings),
      ducking_(settings),
      random_(static_cast<unsigned>(std::chrono::system_clock::now().time_since_epoch().count())) {
    ducking_.setPlayingUnder([this](const QString& zone) {
        for (const auto& run : list_.runs()) {
            if (run->player && run->zones.contains(zone)) {
                return true;
            }
        }
        return false;
    });
}

void RunEngine::setZones(const ZoneSetup* zones) {
    zones_ = zones;
    QStringList names;
    if (zones_ != nullptr) {
        for (const Zone& zone : zones_->zones) {
            names.append(zone.name);
        }
    }
    ducking_.setZones(names);
}

QStringList RunEngine::zonesOf(const Programme& programme) const {
    return programmeZones(zones_, programmeName(programme));
}

QString RunEngine::deviceOf(const QString& zone) const {
    return zoneDevice(zones_, zone, outputDeviceName(settings_));
}

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

double RunEngine::level(const ActiveRun& run, const QString& zone) const {
    return run.programme.volume * ducking_.gain(zone) * run.fadeGain;
}

std::vector<std::pair<MediaPlayer*, QString>> RunEngine::playersOf(ActiveRun& run) const {
    std::vector<std::pair<MediaPlayer*, QString>> players;
    if (run.player) {
        players.emplace_back(run.player.get(), run.playerZone);
    }
    for (const ZonePlayer& follower : run.followers) {
        players.emplace_back(follower.player.get(), follower.zone);
    }
    return players;
}

void RunEngine::applyLevel(ActiveRun& run, double fraction) {
    for (const auto& [player, zone] : playersOf(run)) {
        player->setVolume(levelToAttenuation(fraction * level(run, zone)));
    }
}

void RunEngine::fadeInRun(ActiveRun& run) {
    std::vector<PlayerLevel> players;
    for (const auto& [player, zone] : playersOf(run)) {
        players.push_back({player, level(run, zone)});
    }
    fadeInTogether(players, clock_);
}

void RunEngine::freePlayer(ActiveRun& run) {
    for (const auto& [player, zone] : playersOf(run)) {
        player->stop();
        player->close();
    }
    run.player.reset();
    run.followers.clear();
}

bool RunEngine::waitsBehindEarlier(int index) const {
    const ActiveRunList& runs = list_.runs();
    for (int k = 0; k < index; ++k) {
        if (runs[static_cast<size_t>(k)]->sharesZoneWith(runs[static_cast<size_t>(index)]->zones)) {
            return true;
        }
    }
    return false;
}

void RunEngine::remove(int index) {
    const ActiveRun& run = list_.at(index);
    // A run that goes before it took the player run ahead for it takes the sound with it.
    if (const EarlyStart* early = earlyStart();
        early != nullptr && !run.player &&
        compareDateTimes(run.programme.lastStartTime, early->at) == 0 &&
        run.name().compare(early->name, Qt::CaseInsensitive) == 0) {
        cancelEarlyStart();
    }
    freePlayer(list_.at(index));
    list_.take(index);
}

void RunEngine::fadeOut(ActiveRun& run, int stepMs) {
    fadeOutInFiftySteps([&](double fraction) { applyLevel(run, fraction); }, stepMs, clock_);
}

void RunEngine::restartFile(ActiveRun& run) {
    clock_.sleepMs(0);
    for (const auto& [player, zone] : playersOf(run)) {
        player->setVolume(kSilentAttenuation);
        player->seekMs(0);
    }
    ++run.playCount;
}

void RunEngine::append(std::unique_ptr<ActiveRun> run, const QString& progress) {
    list_.append(std::move(run), progress);
}

void RunEngine::tickActiveRuns(const LocalDateTime& now) {
    const QSet<QString> glided = ducking_.glide();

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

        const bool gainChanged =
            !glided.isEmpty() && std::any_of(run.zones.begin(), run.zones.end(),
                                             [&](const QString& z) { return glided.contains(z); });
        if (!run.player) {
            if (waitsBehindEarlier(i)) {
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
        fadeInRun(run);
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
    QStringList every;
    for (const auto& run : list_.runs()) {
        every += run->zones;
    }
    stopRunsSharing(every, reason, fadeMs, now);
}

void RunEngine::stopRunsSharing(const QStringList& zones, const QString& reason, int fadeMs,
                                const LocalDateTime& now) {
    std::vector<int> stopped;
    std::vector<ActiveRun*> playing;
    for (int i = 0; i < list_.size(); ++i) {
        ActiveRun& run = list_.at(i);
        if (!run.sharesZoneWith(zones)) {
            continue;
        }
        stopped.push_back(i);
        report(now, run.player ? RunTexts::stopping(run.label(), reason)
                               : RunTexts::stopped(run.label(), reason));
        if (run.player) {
            playing.push_back(&run);
        }
    }
    if (!playing.empty()) {
        fadeOutInFiftySteps(
            [&](double fraction) {
                for (ActiveRun* run : playing) {
                    applyLevel(*run, fraction);
                }
            },
            fadeMs / 50, clock_);
    }
    for (auto it = stopped.rbegin(); it != stopped.rend(); ++it) {
        remove(*it);
    }
}

const ActiveRun* RunEngine::nextToStart() const {
    for (int i = 0; i < list_.size(); ++i) {
        const ActiveRun& run = *list_.runs()[static_cast<size_t>(i)];
        if (!run.player && !waitsBehindEarlier(i)) {
            return &run;
        }
    }
    return nullptr;
}

bool RunEngine::hasRunSharing(const QStringList& zones) const {
    for (const auto& run : list_.runs()) {
        if (run->sharesZoneWith(zones)) {
            return true;
        }
    }
    return false;
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
        prepareFor(nullptr);
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
