#include "audio/audio_player.h"

#include <QDateTime>
#include <QMetaObject>
#include <cmath>
#include <utility>

#include "audio/clock_start.h"
#include "audio/duration_probe.h"
#include "audio/graph_hold.h"
#include "audio/gst_support.h"
#include "audio/mpeg_audio_length.h"
#include "audio/output_devices.h"
#include "core/settings/system_settings.h"

namespace {

constexpr int kPrerollTimeoutMs = 5000;
// A start on the clock needs this long to reach the sound server before its moment.
constexpr GstClockTime kClockStartLead = 30 * GST_MSECOND;
// The wall clock and the monotonic one drift apart by less than this in a few seconds (NTP
// slews at most 0.05 %); more is the clock being set.
constexpr GstClockTimeDiff kClockSetTolerance = 4 * GST_MSECOND;

// Milliseconds since the epoch of a local time; -1 for one the local clock skips.
qint64 localMsecsSinceEpoch(const LocalDateTime& t) {
    const QDateTime local(QDate(t.year, t.month, t.day),
                          QTime(t.hour, t.minute, t.second, t.millisecond));
    return local.isValid() && local.time().hour() == t.hour ? local.toMSecsSinceEpoch() : -1;
}

bool hasProperty(GstElement* element, const char* name) {
    return g_object_class_find_property(G_OBJECT_GET_CLASS(element), name) != nullptr;
}

}  // namespace

AudioPlayer::~AudioPlayer() {
    close();
}

qint32 AudioPlayer::open(const QString& path, const QString& deviceName) {
    path_ = path;
    if (opened_ || !initAudioEngine()) {
        return kErrorFail;
    }
    const Attempt first = tryOpen(GraphShape::Decoder, deviceName);
    if (first.code == 0) {
        return 0;
    }
    // The Windows Media graph shares the output and file checks, so it is only worth trying
    // when the first graph failed on the content.
    if (first.code != kErrorNoAudioDevice && first.code != kErrorFileNotFound &&
        first.code != kErrorAccessDenied) {
        const Attempt second = tryOpen(GraphShape::WindowsMedia, deviceName);
        if (second.code == 0) {
            return 0;
        }
    }
    lastError_ = first.text;
    return first.code;
}

AudioPlayer::Attempt AudioPlayer::tryOpen(GraphShape shape, const QString& deviceName) {
    QString deviceId;
    GstPtr<GstElement> sink = findRendererOrDefault(devices_, deviceName, &deviceId);
    if (!sink) {
        return {kErrorNoAudioDevice, QString()};
    }
    MusicFile file;
    QString text;
    if (const qint32 code = file.open(path_, text); code != 0) {
        return {code, text};
    }
    configureOutputSink(sink.get());
    AudioGraph graph;
    if (!buildAudioGraph(shape, file, std::move(sink), graph)) {
        return {kErrorFail, QString()};
    }
    const PrerollResult preroll = holdAudioGraph(graph, kPrerollTimeoutMs, hold_);
    if (preroll.code != 0) {
        destroyAudioGraph(graph);
        hold_ = 0;
        return {preroll.code, preroll.text};
    }
    graph_ = std::move(graph);
    file_ = std::move(file);
    deviceId_ = deviceId;
    // GStreamer only estimates the length of MPEG audio without a Xing header, and a
    // variable bitrate's estimate can be seconds short: the end would come before the music's.
    countedDurationMs_ = isMpegAudioFile(path_) ? mpegAudioLengthMs(path_) : -1;
    // Some streams learn their length only while playing; until then the probe's answer.
    gint64 known = -1;
    probedDurationMs_ = gst_element_query_duration(graph_.pipeline.get(), GST_FORMAT_TIME, &known)
                            ? -1
                            : probeDurationMs(path_);
    atEnd_ = false;
    lost_ = false;
    g_autoptr(GstBus) bus = gst_element_get_bus(graph_.pipeline.get());
    gst_bus_set_flushing(bus, TRUE);
    gst_bus_set_flushing(bus, FALSE);
    {
        std::lock_guard<std::mutex> lock(mutex_);
        accepting_ = true;
    }
    gst_bus_set_sync_handler(bus, &AudioPlayer::onBusMessage, this, nullptr);
    if (!deviceId_.isEmpty()) {
        watchId_ = devices_.watch(deviceName, [this] { outputLost(); });
    }
    opened_ = true;
    return {0, QString()};
}

GstBusSyncReply AudioPlayer::onBusMessage(GstBus*, GstMessage* dropped, gpointer data) {
    // A handler that drops a message owns it; each one holds a reference on its source, so
    // one left behind keeps the whole pipeline (and its bus's sockets) alive.
    g_autoptr(GstMessage) message = dropped;
    auto* self = static_cast<AudioPlayer*>(data);
    switch (GST_MESSAGE_TYPE(message)) {
        case GST_MESSAGE_EOS:
            self->atEnd_ = true;
            self->queueEvent({kEventComplete, 0, 0, QString()});
            break;
        case GST_MESSAGE_ERROR: {
            g_autoptr(GError) error = nullptr;
            gst_message_parse_error(message, &error, nullptr);
            PlayerEvent event;
            event.text = errorMessageText(error);
            if (isOutputError(error, GST_MESSAGE_SRC(message), self->graph_.sink)) {
                event.code = kEventSoundDeviceError;
                event.param1 = kErrorNoAudioDevice;
            } else {
                event.code = kEventErrorAbort;
                event.param1 =
                    resultCodeForError(error, GST_MESSAGE_SRC(message), self->graph_.sink);
            }
            self->queueEvent(event);
            break;
        }
        default:
            break;
    }
    return GST_BUS_DROP;
}

void AudioPlayer::queueEvent(const PlayerEvent& event) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!accepting_) {
        return;
    }
    // Posted to the player itself: when it is freed first, Qt discards the call with it.
    QMetaObject::invokeMethod(
        this, [this, event] { deliver(event); }, Qt::QueuedConnection);
}

void AudioPlayer::deliver(const PlayerEvent& event) {
    // A message the pipeline posted just before it was torn down arrives after close().
    if (opened_) {
        emit eventOccurred(event);
    }
}

void AudioPlayer::outputLost() {
    if (lost_.exchange(true)) {
        return;
    }
    // Silence at once: the sound server may already be moving the stream to another output,
    // and a bell must not ring in the wrong building.
    g_object_set(graph_.volume, "mute", TRUE, nullptr);
    queueEvent({kEventDeviceLost, 0, 0, QStringLiteral("audio output removed")});
}

void AudioPlayer::checkOutputMoved() {
    if (!opened_ || deviceId_.isEmpty() || lost_ || !hasProperty(graph_.sink, "current-device")) {
        return;
    }
    g_autofree gchar* current = nullptr;
    g_object_get(graph_.sink, "current-device", &current, nullptr);
    const QString now = QString::fromUtf8(current);
    if (!now.isEmpty() && now != deviceId_) {
        outputLost();
    }
}

qint32 AudioPlayer::run() {
    if (!opened_) {
        return kErrorFail;
    }
    const bool failed =
        gst_element_set_state(graph_.pipeline.get(), GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE;
    releaseAudioGraph(graph_, hold_);
    return failed ? kErrorFail : 0;
}

bool AudioPlayer::runAt(const LocalDateTime& at, const std::vector<int>& steps, int stepMs) {
    // Only a player opened and not yet run: its first data waits ahead of the volume.
    if (!opened_ || hold_ == 0 || steps.empty()) {
        return false;
    }
    const qint64 atMs = localMsecsSinceEpoch(at);
    if (atMs < 0) {
        return false;
    }
    const GstClockTime when = monotonicTimeAt(atMs);
    g_autoptr(GstClock) clock = gst_system_clock_obtain();
    if (when < gst_clock_get_time(clock) + kClockStartLead) {
        return false;
    }
    std::vector<double> gains;
    for (const int step : steps) {
        gains.push_back(attenuationToGain(step));
    }
    timedFade_ = true;
    startsAtMs_ = atMs;
    startsAtNs_ = when;
    return runAudioGraphAt(graph_, hold_, when, gains, stepMs * GST_MSECOND);
}

bool AudioPlayer::startsAt(const LocalDateTime& at) const {
    if (!opened_ || startsAtNs_ == GST_CLOCK_TIME_NONE || localMsecsSinceEpoch(at) != startsAtMs_) {
        return false;
    }
    const GstClockTimeDiff moved = GST_CLOCK_DIFF(startsAtNs_, monotonicTimeAt(startsAtMs_));
    return std::abs(moved) <= kClockSetTolerance;
}

qint32 AudioPlayer::stop() {
    if (!opened_) {
        return kErrorFail;
    }
    return gst_element_set_state(graph_.pipeline.get(), GST_STATE_READY) == GST_STATE_CHANGE_FAILURE
               ? kErrorFail
               : 0;
}

void AudioPlayer::close() {
    if (!opened_) {
        return;
    }
    if (watchId_ != 0) {
        devices_.unwatch(watchId_);
        watchId_ = 0;
    }
    {
        std::lock_guard<std::mutex> lock(mutex_);
        accepting_ = false;
    }
    {
        g_autoptr(GstBus) bus = gst_element_get_bus(graph_.pipeline.get());
        gst_element_set_state(graph_.pipeline.get(), GST_STATE_NULL);
        gst_bus_set_sync_handler(bus, nullptr, nullptr, nullptr);
    }
    destroyAudioGraph(graph_);
    file_.close();
    hold_ = 0;
    timedFade_ = false;
    startsAtNs_ = GST_CLOCK_TIME_NONE;
    opened_ = false;
}

qint32 AudioPlayer::setVolume(int attenuation) {
    if (!opened_) {
        return kErrorFail;
    }
    if (timedFade_) {
        endTimedFade(graph_);
        timedFade_ = false;
    }
    g_object_set(graph_.volume, "volume", attenuationToGain(attenuation), nullptr);
    return 0;
}

qint64 AudioPlayer::getDurationMs() {
    gint64 duration = -1;
    if (!opened_) {
        return -1;
    }
    if (countedDurationMs_ >= 0) {
        return countedDurationMs_;
    }
    if (!gst_element_query_duration(graph_.pipeline.get(), GST_FORMAT_TIME, &duration) ||
        duration < 0) {
        return probedDurationMs_;
    }
    return duration / GST_MSECOND;
}

qint64 AudioPlayer::getPositionMs() {
    if (!opened_) {
        return 0;
    }
    // At the end the position is the end, also when nothing is left to ask it of.
    if (atEnd_) {
        const qint64 duration = getDurationMs();
        if (duration >= 0) {
            return duration;
        }
    }
    gint64 position = -1;
    if (!gst_element_query_position(graph_.pipeline.get(), GST_FORMAT_TIME, &position) ||
        position < 0) {
        return 0;
    }
    return position / GST_MSECOND;
}

void AudioPlayer::seekMs(qint64 milliseconds) {
    if (!opened_) {
        return;
    }
    if (startsAtNs_ != GST_CLOCK_TIME_NONE) {
        endClockedStart(graph_);
        startsAtNs_ = GST_CLOCK_TIME_NONE;
    }
    const qint64 duration = getDurationMs();
    if (milliseconds < 0) {
        milliseconds = 0;
    }
    if (duration >= 0 && milliseconds >= duration) {
        milliseconds = duration;
        atEnd_ = true;
    } else {
        atEnd_ = false;
    }
    gst_element_seek_simple(graph_.pipeline.get(), GST_FORMAT_TIME,
                            GstSeekFlags(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE),
                            milliseconds * GST_MSECOND);
    // A player not yet run holds its data ahead of the sink, which therefore never prerolls.
    if (hold_ == 0) {
        gst_element_get_state(graph_.pipeline.get(), nullptr, nullptr, 2 * GST_SECOND);
    }
}

bool AudioPlayer::isAtEnd() {
    checkOutputMoved();
    if (!opened_) {
        return true;
    }
    if (atEnd_) {
        return true;
    }
    const qint64 duration = getDurationMs();
    return duration > 0 && getPositionMs() >= duration;
}
