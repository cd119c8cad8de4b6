#include "core/emergency/emergency_alarm.h"

#include <algorithm>

#include "core/playback/volume_scale.h"
#include "core/timed/run_texts.h"

namespace {

const QString kEmergency = QStringLiteral("紧急广播");

// "紧急广播 ◆ 开始", "紧急广播 ◆ 结束": the play log's fields.
QString emergencyText(const QString& event) {
    return kEmergency + QStringLiteral(" ◆ ") + event;
}
// As long as an on-time programme's pre-emption.
constexpr int kStopFadeMs = 600;

}  // namespace

const QString EmergencyAlarm::kHoldReason = QStringLiteral("紧急广播中");

EmergencyAlarm::EmergencyAlarm(const Services& services, QObject* parent)
    : QObject(parent), s_(services) {}

void EmergencyAlarm::report(const LocalDateTime& time, const QString& text) {
    s_.log.reportTimedEvent(time, text);
}

void EmergencyAlarm::holdStarts(const QString& reason) {
    s_.dispatcher.holdStarts(reason);
    s_.immediate.holdStarts(reason);
    s_.announcement.holdStarts(reason);
}

void EmergencyAlarm::start(const QString& file) {
    if (active_) {
        return;
    }
    const LocalDateTime now = wholeSecond(s_.clock.now());
    active_ = true;
    since_ = now;
    holdStarts(kHoldReason);
    // The alarm first: it starts on its own while everything else fades.
    QStringList files{file.isEmpty() ? alarmFile_ : file, s_.builtInAlarm};
    files.removeAll(QString());
    s_.output.startAlarm(files,
                         zoneDevices(s_.zones, everyZone(s_.zones), outputDeviceName(s_.settings)));
    report(now, emergencyText(QStringLiteral("开始")));
    silenceEverything(now);
    // After the programmes: a voice still on for a moment does less harm than a bell.
    s_.announcement.end();
    emit activeChanged(true);
}

void EmergencyAlarm::silenceEverything(const LocalDateTime& now) {
    bool sounding = s_.immediate.hasAudio();
    for (const auto& run : s_.runs.runs()) {
        sounding = sounding || run->player != nullptr;
        report(now, run->player ? RunTexts::stopping(run->label(), kEmergency)
                                : RunTexts::stopped(run->label(), kEmergency));
    }
    const auto scale = [this](double fraction) {
        s_.runs.scaleAllRuns(fraction);
        s_.immediate.scaleImmediateVolume(fraction);
    };
    // The last step, at 0, ends every run and immediate play.
    if (sounding) {
        fadeOutInFiftySteps(scale, kStopFadeMs / 50, s_.clock);
    } else {
        scale(0.0);
    }
}

void EmergencyAlarm::stop() {
    if (!active_) {
        return;
    }
    active_ = false;
    s_.output.stopAlarm();
    holdStarts(QString());
    report(wholeSecond(s_.clock.now()), emergencyText(QStringLiteral("结束")));
    emit activeChanged(false);
}
