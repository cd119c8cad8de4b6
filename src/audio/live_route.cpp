#include "audio/live_route.h"

#include <algorithm>

#include "audio/audio_graph.h"
#include "audio/gst_support.h"
#include "audio/input_devices.h"
#include "core/playback/volume_scale.h"
#include "core/support/clock.h"
#include "core/support/log_categories.h"

namespace {

// A voice is heard within tens of milliseconds only with small buffers on both ends (10 ms,
// in 2 ms steps, on the input and on each output) and outputs that play what arrives at once:
// an output that waits for each sample's time drops every sample once a stall has made them
// late, and the zone falls silent. About 10 ms from microphone to loudspeaker on the test's
// idle sound server, 45 on a busy machine (bench/announcement_latency_bench).
constexpr gint64 kLiveBufferMicroseconds = 10'000;
constexpr gint64 kLiveLatencyMicroseconds = 2'000;
// An output that stalls must not hold up the others, and what piles up behind a stall must
// not stay as delay: what waits longer is dropped.
constexpr guint64 kLiveQueueNs = 40 * GST_MSECOND;
constexpr int kLivePollMs = 50;
constexpr GstClockTime kLevelIntervalNs = 50 * GST_MSECOND;
// Long enough for the sound server to open an input on a busy machine (two seconds were not,
// with four busy loops and a disk writer beside it); a working input answers within 0.1 s.
constexpr GstClockTime kInputOpenWaitNs = 5 * GST_SECOND;
constexpr int kChimeVolume = 100;
constexpr double kNoLevelDb = -100.0;

void configureLiveElement(GstElement* element) {
    GObjectClass* type = G_OBJECT_GET_CLASS(element);
    if (g_object_class_find_property(type, "buffer-time") != nullptr) {
        g_object_set(element, "buffer-time", kLiveBufferMicroseconds, "latency-time",
                     kLiveLatencyMicroseconds, nullptr);
    }
    if (g_object_class_find_property(type, "client-name") != nullptr) {
        g_object_set(element, "client-name", "澜川校园定时广播系统", nullptr);
    }
}

// The loudest channel's peak of a "level" message, or nothing.
std::optional<double> peakOf(GstMessage* message) {
    const GstStructure* s = gst_message_get_structure(message);
    if (s == nullptr || !gst_structure_has_name(s, "level")) {
        return std::nullopt;
    }
    const GValue* value = gst_structure_get_value(s, "peak");
    if (value == nullptr || !G_VALUE_HOLDS_BOXED(value)) {
        return std::nullopt;
    }
    double peak = kNoLevelDb;
    // The level element reports its channels in a GValueArray.
    G_GNUC_BEGIN_IGNORE_DEPRECATIONS
    const auto* channels = static_cast<const GValueArray*>(g_value_get_boxed(value));
    for (guint i = 0; channels != nullptr && i < channels->n_values; ++i) {
        peak = std::max(peak, g_value_get_double(&channels->values[i]));
    }
    G_GNUC_END_IGNORE_DEPRECATIONS
    return peak;
}

QString errorTextOf(GstMessage* message) {
    g_autoptr(GError) error = nullptr;
    gst_message_parse_error(message, &error, nullptr);
    return errorMessageText(error);
}

}  // namespace

LiveRoute::LiveRoute(OutputDevices& devices, QObject* parent) : QObject(parent), devices_(devices) {
    poll_.setInterval(kLivePollMs);
    connect(&poll_, &QTimer::timeout, this, &LiveRoute::poll);
    chimeEnd_.setSingleShot(true);
    connect(&chimeEnd_, &QTimer::timeout, this, &LiveRoute::openUp);
}

LiveRoute::~LiveRoute() {
    chimes_.clear();
    close();
}

bool LiveRoute::listen(const QString& input, QString& message) {
    chimeEnd_.stop();
    chimes_.clear();
    live_ = false;
    if (input.isEmpty()) {
        close();
        return true;
    }
    return open(input, {}, message);
}

bool LiveRoute::open(const QString& input, const QStringList& outputs, QString& message) {
    close();
    if (!initAudioEngine()) {
        message = QStringLiteral("系统环境有问题, 无法打开输入设备");
        return false;
    }
    // An input that is gone is said so at once (an input that fails to open leaves the level
    // element without a format).
    const std::vector<InputDevice> inputs = listInputDevices();
    if (std::none_of(inputs.begin(), inputs.end(),
                     [&input](const InputDevice& i) { return i.id == input; })) {
        message = QStringLiteral("找不到输入设备：%1\n\n话筒是否已插好?").arg(input);
        return false;
    }
    GstElement* source = makeElement("pulsesrc");
    GstElement* convert = makeElement("audioconvert");
    GstElement* resample = makeElement("audioresample");
    GstElement* level = makeElement("level");
    GstElement* volume = makeElement("volume");
    GstElement* tee = makeElement("tee");
    pipeline_ = gst_pipeline_new("live");
    if (source == nullptr || convert == nullptr || resample == nullptr || level == nullptr ||
        volume == nullptr || tee == nullptr || pipeline_ == nullptr) {
        for (GstElement* e : {source, convert, resample, level, volume, tee}) {
            if (e != nullptr) {
                gst_object_unref(gst_object_ref_sink(e));
            }
        }
        close();
        message = QStringLiteral("缺少 GStreamer 组件 (pulsesrc, level), 无法喊话");
        return false;
    }
    g_object_set(source, "device", input.toUtf8().constData(), nullptr);
    configureLiveElement(source);
    g_object_set(level, "interval", kLevelIntervalNs, "post-messages", TRUE, nullptr);
    // Not heard until the chime is over.
    g_object_set(volume, "volume", outputs.isEmpty() ? 1.0 : kSilentGain, nullptr);
    gst_bin_add_many(GST_BIN(pipeline_), source, convert, resample, level, volume, tee, nullptr);
    source_ = source;
    volume_ = volume;
    bool linked = gst_element_link_many(source, convert, resample, level, volume, tee, nullptr);
    const auto branch = [this, tee, &linked](GstElement* sink) {
        GstElement* queue = makeElement("queue");
        g_object_set(queue, "max-size-buffers", 0u, "max-size-bytes", 0u, "max-size-time",
                     kLiveQueueNs, "leaky", 2, nullptr);
        gst_bin_add_many(GST_BIN(pipeline_), queue, sink, nullptr);
        linked = linked && gst_element_link_many(tee, queue, sink, nullptr);
    };
    for (const QString& output : devices_.distinctOutputs(outputs)) {
        QString deviceId;
        // Held until the pipeline has it; the pipeline keeps a reference of its own.
        const GstPtr<GstElement> ownedSink = devices_.findRenderer(output, &deviceId);
        GstElement* sink = ownedSink.get();
        if (sink == nullptr) {
            qCWarning(lcAudio) << "announcement: no such output:" << output;
            continue;
        }
        configureLiveElement(sink);
        g_object_set(sink, "sync", FALSE, nullptr);
        branch(sink);
        sinks_.push_back({sink, output, deviceId});
        outputs_.append(output);
    }
    if (!outputs.isEmpty() && sinks_.empty()) {
        close();
        message = QStringLiteral("找不到音频输出设备, 无法喊话");
        return false;
    }
    if (outputs.isEmpty()) {
        GstElement* meter = makeElement("fakesink");
        g_object_set(meter, "sync", FALSE, "async", FALSE, nullptr);
        branch(meter);
    }
    if (!linked ||
        gst_element_set_state(pipeline_, GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE) {
        close();
        message = QStringLiteral("无法打开输入设备：%1").arg(input);
        return false;
    }
    // Open once the input delivers its first level, or says why it cannot.
    g_autoptr(GstBus) bus = gst_element_get_bus(pipeline_);
    QString failure;
    bool delivering = false;
    while (!delivering && failure.isEmpty()) {
        g_autoptr(GstMessage) m = gst_bus_timed_pop_filtered(
            bus, kInputOpenWaitNs, GstMessageType(GST_MESSAGE_ERROR | GST_MESSAGE_ELEMENT));
        if (m == nullptr) {
            failure = QStringLiteral("输入设备没有声音");
            break;
        }
        if (GST_MESSAGE_TYPE(m) == GST_MESSAGE_ERROR) {
            failure = errorTextOf(m);
        } else if (const auto peak = peakOf(m)) {
            delivering = true;
            emit levelChanged(*peak);
        }
    }
    if (!delivering) {
        close();
        message = QStringLiteral("无法打开输入设备：%1\n\n%2").arg(input, failure);
        return false;
    }
    input_ = input;
    poll_.start();
    return true;
}

void LiveRoute::close() {
    poll_.stop();
    if (pipeline_ != nullptr) {
        gst_element_set_state(pipeline_, GST_STATE_NULL);
        gst_object_unref(pipeline_);
    }
    pipeline_ = nullptr;
    source_ = nullptr;
    volume_ = nullptr;
    sinks_.clear();
    outputs_.clear();
}

bool LiveRoute::startLive(const QString& input, const QStringList& devices, QString& message) {
    chimeEnd_.stop();
    chimes_.clear();
    live_ = false;
    if (devices.isEmpty()) {
        message = QStringLiteral("没有选择分区");
        return false;
    }
    if (!open(input, devices, message)) {
        return false;
    }
    // The chime only where the voice will be heard.
    for (const QString& output : outputs_) {
        auto chime = std::make_unique<TestChime>(devices_);
        QString text;
        if (chime->play(output, kChimeVolume, text) == 0) {
            chimes_.push_back(std::move(chime));
        }
    }
    chimeEnd_.start(TestChime::durationMs());
    return true;
}

void LiveRoute::openUp() {
    chimes_.clear();
    if (volume_ != nullptr) {
        g_object_set(volume_, "volume", 1.0, nullptr);
        live_ = true;
    }
}

void LiveRoute::stopLive() {
    chimeEnd_.stop();
    chimes_.clear();
    if (volume_ != nullptr && live_) {
        SystemClock clock;
        fadeOutInFiftySteps(
            [this](double fraction) {
                g_object_set(volume_, "volume", std::max(fraction, kSilentGain), nullptr);
            },
            kFadeStepMs, clock);
    }
    live_ = false;
    close();
}

void LiveRoute::poll() {
    if (pipeline_ == nullptr) {
        poll_.stop();
        return;
    }
    g_autoptr(GstBus) bus = gst_element_get_bus(pipeline_);
    std::optional<double> peak;
    QString inputFailure;
    QStringList failedOutputs;
    while (true) {
        g_autoptr(GstMessage) m = gst_bus_pop(bus);
        if (m == nullptr) {
            break;
        }
        if (GST_MESSAGE_TYPE(m) == GST_MESSAGE_ELEMENT) {
            if (const auto p = peakOf(m)) {
                peak = p;
            }
        } else if (GST_MESSAGE_TYPE(m) == GST_MESSAGE_ERROR) {
            const auto sink = std::find_if(sinks_.begin(), sinks_.end(), [m](const LiveSink& s) {
                return GST_MESSAGE_SRC(m) == GST_OBJECT(s.element);
            });
            if (sink != sinks_.end()) {
                failedOutputs.append(sink->output);
            } else {
                inputFailure = errorTextOf(m);
            }
        }
    }
    // An output whose stream the server moved elsewhere has gone: the voice must not sound in
    // another building.
    for (const LiveSink& sink : sinks_) {
        if (sink.deviceId.isEmpty() || failedOutputs.contains(sink.output)) {
            continue;
        }
        g_autofree gchar* current = nullptr;
        g_object_get(sink.element, "current-device", &current, nullptr);
        const QString now = QString::fromUtf8(current);
        if (!now.isEmpty() && now != sink.deviceId) {
            failedOutputs.append(sink.output);
        }
    }
    if (peak) {
        emit levelChanged(*peak);
    }
    if (inputFailure.isEmpty() && failedOutputs.isEmpty()) {
        return;
    }
    qCWarning(lcAudio) << "announcement: failed:" << inputFailure << failedOutputs;
    QStringList remaining = outputs_;
    for (const QString& output : failedOutputs) {
        remaining.removeAll(output);
    }
    const bool wasLive = live_;
    QString message;
    if (inputFailure.isEmpty() && !remaining.isEmpty() && open(input_, remaining, message)) {
        // The others go on as they were.
        if (wasLive) {
            openUp();
        }
        return;
    }
    chimeEnd_.stop();
    chimes_.clear();
    live_ = false;
    close();
    emit failed(inputFailure.isEmpty() ? QStringLiteral("音频输出设备失效") : inputFailure);
}
