#include "audio/alarm_siren.h"

#include <QDeadlineTimer>
#include <algorithm>
#include <condition_variable>
#include <mutex>

#include "audio/alarm_sound.h"
#include "audio/audio_graph.h"
#include "audio/gst_support.h"
#include "core/playback/volume_scale.h"
#include "core/settings/system_settings.h"
#include "core/support/clock.h"
#include "core/support/log_categories.h"

struct AlarmSiren::Session {
    std::mutex mutex;
    std::condition_variable wake;
    bool stopping = false;
    QStringList sounding;
    QString file;
};

namespace {

// About 23 ms a buffer: a fade step reaches the output at once.
constexpr int kChunkFrames = 1024;
constexpr int kCheckMs = 50;
// A thread still busy this long after the program asked it to end is left to the process.
constexpr unsigned long kJoinMs = 3000;

// One output's pipeline and where its loop has got to. The feed runs on the pipeline's
// streaming thread; everything else on the alarm's thread.
struct AlarmLoop {
    QString output;
    QString deviceId;  // the output's own name, to notice the server moving the stream
    GstElement* pipeline = nullptr;
    GstElement* volume = nullptr;
    GstElement* sink = nullptr;
    std::shared_ptr<const std::vector<qint16>> samples;
    size_t offset = 0;   // in samples
    guint64 frames = 0;  // pushed so far, for the time stamps
};

void feedAlarm(GstElement* source, guint, gpointer data) {
    auto* loop = static_cast<AlarmLoop*>(data);
    const std::vector<qint16>& all = *loop->samples;
    const size_t count = std::min(all.size() - loop->offset,
                                  static_cast<size_t>(kChunkFrames * AlarmSound::kChannels));
    const gsize bytes = count * sizeof(qint16);
    GstBuffer* buffer = gst_buffer_new_allocate(nullptr, bytes, nullptr);
    gst_buffer_fill(buffer, 0, all.data() + loop->offset, bytes);
    const guint64 frames = count / AlarmSound::kChannels;
    GST_BUFFER_PTS(buffer) = gst_util_uint64_scale(loop->frames, GST_SECOND, AlarmSound::kRate);
    GST_BUFFER_DURATION(buffer) = gst_util_uint64_scale(frames, GST_SECOND, AlarmSound::kRate);
    loop->frames += frames;
    loop->offset = (loop->offset + count) % all.size();
    GstFlowReturn flow = GST_FLOW_OK;
    g_signal_emit_by_name(source, "push-buffer", buffer, &flow);
    gst_buffer_unref(buffer);
}

void destroyLoop(std::unique_ptr<AlarmLoop>& loop) {
    if (loop->pipeline != nullptr) {
        gst_element_set_state(loop->pipeline, GST_STATE_NULL);
        gst_object_unref(loop->pipeline);
    }
    loop.reset();
}

std::unique_ptr<AlarmLoop> openLoop(OutputDevices& devices, const QString& output,
                                    const AlarmSound& sound) {
    auto loop = std::make_unique<AlarmLoop>();
    loop->output = output;
    loop->samples = sound.samples;
    // Held until the pipeline has it; the pipeline keeps a reference of its own.
    const GstPtr<GstElement> ownedSink = devices.findRenderer(output, &loop->deviceId);
    GstElement* sink = ownedSink.get();
    if (sink == nullptr) {
        qCWarning(lcAudio) << "alarm: no such output:" << output;
        return nullptr;
    }
    configureOutputSink(sink);
    GstElement* source = makeElement("appsrc");
    GstElement* convert = makeElement("audioconvert");
    GstElement* resample = makeElement("audioresample");
    GstElement* volume = makeElement("volume");
    GstElement* pipeline = gst_pipeline_new("alarm");
    if (source == nullptr || convert == nullptr || resample == nullptr || volume == nullptr ||
        pipeline == nullptr) {
        for (GstElement* e : {source, convert, resample, volume, pipeline}) {
            if (e != nullptr) {
                gst_object_unref(gst_object_ref_sink(e));
            }
        }
        return nullptr;
    }
    g_autoptr(GstCaps) caps =
        gst_caps_new_simple("audio/x-raw", "format", G_TYPE_STRING, "S16LE", "rate", G_TYPE_INT,
                            AlarmSound::kRate, "channels", G_TYPE_INT, AlarmSound::kChannels,
                            "layout", G_TYPE_STRING, "interleaved", nullptr);
    // Only what was asked for waits in the source, so a fade is heard at once.
    g_object_set(source, "caps", caps, "format", GST_FORMAT_TIME, "max-bytes",
                 static_cast<guint64>(kChunkFrames * AlarmSound::kChannels * sizeof(qint16)),
                 nullptr);
    g_signal_connect(source, "need-data", G_CALLBACK(feedAlarm), loop.get());
    gst_bin_add_many(GST_BIN(pipeline), source, convert, resample, volume, sink, nullptr);
    loop->pipeline = pipeline;
    loop->volume = volume;
    loop->sink = sink;
    if (!gst_element_link_many(source, convert, resample, volume, sink, nullptr) ||
        gst_element_set_state(pipeline, GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE) {
        qCWarning(lcAudio) << "alarm: output failed to start:" << output;
        destroyLoop(loop);
        return nullptr;
    }
    return loop;
}

// An error on its bus, or its stream moved elsewhere by the sound server (its output is gone).
bool loopBroke(const AlarmLoop& loop) {
    g_autoptr(GstBus) bus = gst_element_get_bus(loop.pipeline);
    g_autoptr(GstMessage) error = gst_bus_pop_filtered(bus, GST_MESSAGE_ERROR);
    if (error != nullptr) {
        g_autoptr(GError) e = nullptr;
        gst_message_parse_error(error, &e, nullptr);
        qCWarning(lcAudio) << "alarm: output failed:" << loop.output << errorMessageText(e);
        return true;
    }
    if (loop.deviceId.isEmpty() ||
        g_object_class_find_property(G_OBJECT_GET_CLASS(loop.sink), "current-device") == nullptr) {
        return false;
    }
    g_autofree gchar* current = nullptr;
    g_object_get(loop.sink, "current-device", &current, nullptr);
    const QString now = QString::fromUtf8(current);
    if (!now.isEmpty() && now != loop.deviceId) {
        // Silent at once: the alarm must not sound twice on the output it was moved to.
        g_object_set(loop.volume, "mute", TRUE, nullptr);
        qCWarning(lcAudio) << "alarm: output went away:" << loop.output;
        return true;
    }
    return false;
}

void soundAlarm(OutputDevices& devices, AlarmSiren::Session& session, const QStringList& files,
                const QStringList& names) {
    const AlarmSound sound = loadAlarmSound(files);
    std::vector<std::unique_ptr<AlarmLoop>> loops;
    {
        std::lock_guard<std::mutex> lock(session.mutex);
        if (session.stopping) {
            return;
        }
        session.file = sound.file;
    }
    for (const QString& output : devices.distinctOutputs(names)) {
        if (auto loop = openLoop(devices, output, sound)) {
            loops.push_back(std::move(loop));
        }
    }
    // With every named output gone, the system's default output still sounds it.
    if (loops.empty()) {
        if (auto loop = openLoop(devices, kDefaultDeviceName, sound)) {
            loops.push_back(std::move(loop));
        }
    }
    for (;;) {
        QStringList sounding;
        for (const auto& loop : loops) {
            sounding.append(loop->output);
        }
        std::unique_lock<std::mutex> lock(session.mutex);
        session.sounding = sounding;
        if (session.wake.wait_for(lock, std::chrono::milliseconds(kCheckMs),
                                  [&session] { return session.stopping; })) {
            break;
        }
        lock.unlock();
        for (auto& loop : loops) {
            if (loopBroke(*loop)) {
                destroyLoop(loop);
            }
        }
        std::erase(loops, nullptr);
    }
    SystemClock clock;
    fadeOutInFiftySteps(
        [&loops](double fraction) {
            for (const auto& loop : loops) {
                g_object_set(loop->volume, "volume", std::max(fraction, kSilentGain), nullptr);
            }
        },
        kFadeStepMs, clock);
    for (auto& loop : loops) {
        destroyLoop(loop);
    }
    std::lock_guard<std::mutex> lock(session.mutex);
    session.sounding.clear();
}

}  // namespace

AlarmSiren::AlarmSiren(OutputDevices& devices) : devices_(devices) {}

AlarmSiren::~AlarmSiren() {
    stopAlarm();
    // Never hang at exit for an output that does not let go.
    QDeadlineTimer deadline(kJoinMs);
    for (auto& thread : threads_) {
        if (!thread->wait(deadline)) {
            (void)thread.release();
        }
    }
}

void AlarmSiren::startAlarm(const QStringList& files, const QStringList& devices) {
    stopAlarm();
    std::erase_if(threads_, [](const auto& thread) { return thread->isFinished(); });
    session_ = std::make_shared<Session>();
    OutputDevices& outputs = devices_;
    threads_.emplace_back(QThread::create([&outputs, session = session_, files, devices] {
        soundAlarm(outputs, *session, files, devices);
    }));
    threads_.back()->start(QThread::TimeCriticalPriority);
}

void AlarmSiren::stopAlarm() {
    if (!session_) {
        return;
    }
    {
        std::lock_guard<std::mutex> lock(session_->mutex);
        session_->stopping = true;
    }
    session_->wake.notify_all();
    session_.reset();
}

QStringList AlarmSiren::soundingOutputs() const {
    if (!session_) {
        return {};
    }
    std::lock_guard<std::mutex> lock(session_->mutex);
    return session_->sounding;
}

QString AlarmSiren::soundingFile() const {
    if (!session_) {
        return {};
    }
    std::lock_guard<std::mutex> lock(session_->mutex);
    return session_->file;
}
