#include "core/immediate/immediate_player.h"

#include <algorithm>
#include <chrono>
#include <optional>

#include "core/immediate/immediate_texts.h"
#include "core/playback/playback_start.h"
#include "core/playback/volume_scale.h"
#include "core/support/date_text.h"
#include "core/support/log_categories.h"
#include "core/support/messages.h"
#include "core/support/music_files.h"

namespace {

// The end fade of n seconds: it starts 8 s before the end and takes 140 ticks, 7 s.
constexpr int kFadeStartSeconds = 8;
constexpr double kEndFadeStep = 1.0 / 140.0;
constexpr double kSeekCeiling = 99.9;

}  // namespace

ImmediatePlayer::ImmediatePlayer(const Services& services, QObject* parent)
    : QObject(parent),
      s_(services),
      random_(static_cast<unsigned>(std::chrono::system_clock::now().time_since_epoch().count())) {
    s_.ducking.lowerWhile(DuckSource::Immediate, [this](const QString& zone) {
        return active_ && outputZones().contains(zone);
    });
}

ImmediatePlayer::~ImmediatePlayer() {
    s_.ducking.lowerWhile(DuckSource::Immediate, nullptr);
    for (MediaPlayer* player : players()) {
        player->stop();
        player->close();
    }
}

QStringList ImmediatePlayer::outputZones() const {
    return immediateZones(s_.zones);
}

std::vector<MediaPlayer*> ImmediatePlayer::players() const {
    std::vector<MediaPlayer*> all;
    if (audio_) {
        all.push_back(audio_.get());
    }
    for (const auto& follower : followers_) {
        all.push_back(follower.get());
    }
    return all;
}

void ImmediatePlayer::setLimits(int tracks, int seconds) {
    limitTracks_ = std::max(0, tracks);
    limitSeconds_ = std::max(0, seconds);
}

double ImmediatePlayer::level() const {
    return s_.playlist.settings().volume * endFadeGain_;
}

std::vector<double> ImmediatePlayer::zoneGains() const {
    std::vector<double> gains;
    for (const QString& zone : playerZones_) {
        gains.push_back(s_.ducking.immediateGain(zone));
    }
    return gains;
}

void ImmediatePlayer::applyLevel(double fraction) {
    const std::vector<MediaPlayer*> all = players();
    appliedGains_ = zoneGains();
    for (size_t i = 0; i < all.size(); ++i) {
        all[i]->setVolume(levelToAttenuation(fraction * level() * appliedGains_[i]));
    }
}

void ImmediatePlayer::followZoneGains() {
    if (zoneGains() != appliedGains_) {
        applyLevel(1.0);
    }
}

void ImmediatePlayer::save(bool showErrors) {
    s_.store.save(showErrors);
}

void ImmediatePlayer::setStatus(const QString& text) {
    if (status_ != text) {
        status_ = text;
        emit statusChanged(text);
    }
}

void ImmediatePlayer::startImmediatePlay() {
    if (!holdReason_.isEmpty()) {
        showMessage(MessageIcon::Warning, ImmediateTexts::held(holdReason_), owner_);
        return;
    }
    save(true);
    releaseImmediateAudio();
    active_ = true;
    endFadeGain_ = 1.0;
    tracksStarted_ = 0;
    emit activeChanged(true);
}

void ImmediatePlayer::stopImmediatePlay(bool withFade) {
    if (withFade && audio_) {
        fadeOutInFiftySteps([this](double fraction) { applyLevel(fraction); }, kFadeStepMs,
                            s_.clock);
    }
    endPlay();
}

void ImmediatePlayer::releaseImmediateAudio() {
    for (MediaPlayer* player : players()) {
        player->stop();
        player->close();
    }
    audio_.reset();
    followers_.clear();
    playerZones_.clear();
    appliedGains_.clear();
    emit positionCleared();
}

void ImmediatePlayer::endPlay() {
    releaseImmediateAudio();
    setStatus(QString());
    const bool was = active_;
    active_ = false;
    if (was) {
        emit activeChanged(false);
    }
}

void ImmediatePlayer::endWithFailure(const StartFailure& failure) {
    endPlay();
    if (!failure.message.isEmpty()) {
        showMessage(MessageIcon::Warning, failure.message, owner_);
    }
    if (!failure.helpAnchor.isEmpty()) {
        emit helpRequested(failure.helpAnchor);
    }
}

void ImmediatePlayer::scaleImmediateVolume(double fraction) {
    applyLevel(fraction);
    if (fraction <= 0.0) {
        endPlay();
    }
}

void ImmediatePlayer::changeVolume(int volume) {
    ImmediateSettings& settings = s_.playlist.settings();
    const int from = static_cast<int>(settings.volume * endFadeGain_);
    const int to = static_cast<int>(volume * endFadeGain_);
    settings.volume = volume;
    rampVolume(players(), from, to, s_.clock);
    // The ramp knows no zone gains: the next tick puts them back.
    appliedGains_.clear();
}

void ImmediatePlayer::seekToPercent(double percent) {
    if (!audio_) {
        return;
    }
    const double p = std::clamp(percent, 0.0, kSeekCeiling);
    seekWithFade(players(), static_cast<qint64>(audio_->getDurationMs() * p / 100.0), level(),
                 s_.clock);
    appliedGains_.clear();
}

void ImmediatePlayer::refreshPosition() {
    if (!audio_) {
        return;
    }
    const ImmediateSettings& settings = s_.playlist.settings();
    const qint64 elapsed = secondsBetween(wholeSecond(s_.clock.now()), startedAt_);
    setStatus(settings.limitByTracks != 0 ? ImmediateTexts::tracks(tracksStarted_, limitTracks_)
                                          : ImmediateTexts::seconds(elapsed, limitSeconds_));
    const qint64 position = audio_->getPositionMs();
    const qint64 duration = audio_->getDurationMs();
    const int percent =
        duration > 0 ? static_cast<int>(std::clamp<qint64>(position, 0, duration) * 100 / duration)
                     : 0;
    emit positionChanged(formatProgress(duration / 1000, position / 1000), percent);
}

void ImmediatePlayer::immediateTick() {
    if (!active_) {
        return;
    }
    const LocalDateTime now = wholeSecond(s_.clock.now());
    if (!audio_) {
        bool lowered = true;
        for (const QString& zone : outputZones()) {
            s_.ducking.settleIfNothingPlays(zone);
            lowered = lowered && s_.ducking.gain(zone) <= s_.ducking.target(zone);
        }
        if (!lowered) {
            setStatus(ImmediateTexts::waiting(waitTextCounter_));
            waitTextCounter_ = waitTextCounter_ % 12 + 1;
            return;
        }
        if (const auto failure = playCurrentTrack()) {
            endWithFailure(*failure);
            return;
        }
        tracksStarted_ = 1;
        startedAt_ = now;
        refreshPosition();
        return;
    }

    followZoneGains();
    const ImmediateSettings& settings = s_.playlist.settings();
    const qint64 elapsed = secondsBetween(now, startedAt_);
    const bool bySeconds = settings.limitByTracks == 0;
    if (bySeconds && elapsed < -kClockBackSeconds) {
        stopImmediatePlay(true);
        showMessage(MessageIcon::Warning, ImmediateTexts::clockWentBack(), owner_);
        return;
    }
    refreshPosition();
    if (bySeconds) {
        if (limitSeconds_ > 0) {
            if (endFadeGain_ < 1.0) {
                endFadeGain_ = std::max(0.0, endFadeGain_ - kEndFadeStep);
                applyLevel(1.0);
                if (endFadeGain_ <= 0.0) {
                    endPlay();
                    return;
                }
            } else if (elapsed > limitSeconds_ - kFadeStartSeconds) {
                endFadeGain_ = 0.999;
            }
        }
        if (audio_->isAtEnd()) {
            advanceTrack();
        }
        return;
    }
    if (!audio_->isAtEnd()) {
        return;
    }
    if (limitTracks_ == 0 || tracksStarted_ < limitTracks_) {
        advanceTrack();
    } else {
        endPlay();
    }
}

void ImmediatePlayer::advanceTrack() {
    releaseImmediateAudio();
    PlaylistModel& playlist = s_.playlist;
    switch (playlist.settings().playMode) {
        case kRepeatOne:
            break;
        case kRandom:
            chooseRandomTrack();
            save(false);
            break;
        default: {
            const int i = playlist.current();
            playlist.setCurrent(i + 1 < playlist.size() ? i + 1 : 0);
            save(false);
            break;
        }
    }
    if (const auto failure = playCurrentTrack()) {
        endWithFailure(*failure);
        return;
    }
    ++tracksStarted_;
    refreshPosition();
}

void ImmediatePlayer::chooseRandomTrack() {
    std::vector<PlaylistEntry>& list = s_.playlist.settings().playlist;
    const int current = s_.playlist.current();
    if (current >= 0) {
        list[static_cast<size_t>(current)].playedThisRound = 1;
    }
    const auto unplayed = [&list] {
        std::vector<int> indices;
        for (size_t i = 0; i < list.size(); ++i) {
            if (list[i].playedThisRound == 0) {
                indices.push_back(static_cast<int>(i));
            }
        }
        return indices;
    };
    std::vector<int> left = unplayed();
    if (left.empty()) {
        clearPlayedFlags(list);
        left = unplayed();
        // A new cycle never begins with the track just heard; it comes later in the cycle.
        if (list.size() >= 2 && current >= 0) {
            left.erase(std::find(left.begin(), left.end(), current));
        }
    }
    if (left.empty()) {
        s_.playlist.setCurrent(-1);
        return;
    }
    std::shuffle(left.begin(), left.end(), random_);
    s_.playlist.setCurrent(left[random_() % left.size()]);
}

std::optional<ImmediatePlayer::StartFailure> ImmediatePlayer::playCurrentTrack() {
    const int row = s_.playlist.current();
    if (row < 0) {
        return StartFailure{};
    }
    emit rowRevealed(row);
    const QString path = entryPath(s_.playlist.entries()[static_cast<size_t>(row)]);
    QString problem;
    if (!validateMusicPath(path, QStringLiteral("音乐"), false, problem)) {
        s_.playlist.setDuration(row, -1);
        return StartFailure{ImmediateTexts::pathProblem(problem, path), QString()};
    }
    // One player per zone, started together; the first that starts is the track's.
    std::vector<std::unique_ptr<MediaPlayer>> opened;
    std::vector<PlaybackTarget> targets;
    const QStringList zones = outputZones();
    for (const QString& zone : zones) {
        opened.push_back(s_.backend.createPlayer());
        MediaPlayer* player = opened.back().get();
        connect(player, &MediaPlayer::eventOccurred, this,
                [this, player](const PlayerEvent& event) { handleImmediateEvent(player, event); });
        targets.push_back({player,
                           zoneDevice(s_.zones, zone, outputDeviceName(s_.systemSettings)),
                           level() * s_.ducking.immediateGain(zone),
                           false,
                           {}});
    }
    startPlaybackTogether(targets, path, s_.clock);
    for (size_t i = 0; i < targets.size(); ++i) {
        if (targets[i].result.code != 0) {
            continue;
        }
        if (!audio_) {
            audio_ = std::move(opened[i]);
        } else {
            followers_.push_back(std::move(opened[i]));
        }
        playerZones_.append(zones[static_cast<qsizetype>(i)]);
    }
    appliedGains_ = zoneGains();
    const PlaybackStart started = targets.front().result;
    if (!audio_) {
        qCWarning(lcImmediate) << "start failed:" << path << Qt::hex
                               << static_cast<quint32>(started.code) << started.playerText;
        s_.playlist.setDuration(row, -1);
        const QString errorText = s_.backend.errorText(started.code, started.playerText);
        if (!started.openFailed) {
            return StartFailure{ImmediateTexts::playFailed(path, errorText), QString()};
        }
        if (!s_.backend.isMediaFrameworkAvailable()) {
            return StartFailure{ImmediateTexts::brokenEnvironment(), QStringLiteral("environment")};
        }
        if (started.code == kErrorNoAudioDevice) {
            return StartFailure{ImmediateTexts::invalidDevice(), QString()};
        }
        if (!s_.backend.areDecoderModulesIntact()) {
            return StartFailure{ImmediateTexts::missingModules(), QStringLiteral("environment")};
        }
        return StartFailure{ImmediateTexts::playFailed(path, errorText), QString()};
    }
    s_.playlist.setDuration(row, storableDuration(audio_->getDurationMs()));
    return std::nullopt;
}

void ImmediatePlayer::handleImmediateEvent(const MediaPlayer* player, const PlayerEvent& event) {
    if (!event.isFailure() || !audio_) {
        return;
    }
    // A further zone that fails falls silent; the others go on.
    const auto follower = std::find_if(followers_.begin(), followers_.end(),
                                       [player](const auto& f) { return f.get() == player; });
    if (follower != followers_.end()) {
        qCWarning(lcImmediate) << "playback failed in a zone:" << (*follower)->path() << event.code
                               << event.text;
        (*follower)->stop();
        (*follower)->close();
        playerZones_.removeAt(1 + (follower - followers_.begin()));
        appliedGains_.clear();
        followers_.erase(follower);
        return;
    }
    if (player != audio_.get()) {
        return;
    }
    const QString path = audio_->path();
    qCWarning(lcImmediate) << "playback failed:" << path << event.code << event.text;
    const QString message =
        event.isDeviceFailure()
            ? ImmediateTexts::deviceFailed()
            : ImmediateTexts::playbackFailed(path, s_.backend.errorText(event.param1, event.text));
    endWithFailure({message, QString()});
}
