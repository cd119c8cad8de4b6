#include "audio/test_chime.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "audio/gst_support.h"
#include "core/playback/media_player.h"
#include "core/playback/volume_scale.h"

namespace {

constexpr int kRate = 44100;
constexpr int kChimePrerollMs = 3000;
constexpr int kPollMs = 100;

struct Note {
    double frequency;
    double startSeconds;
};
// Ding-dong: E5 then C5, each struck and left to ring out.
constexpr Note kNotes[] = {{659.25, 0.0}, {523.25, 0.45}};
constexpr double kLengthSeconds = 1.4;

std::vector<qint16> chimeSamples() {
    const int count = static_cast<int>(kLengthSeconds * kRate);
    std::vector<qint16> samples(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        const double t = static_cast<double>(i) / kRate;
        double value = 0.0;
        for (const Note& note : kNotes) {
            const double local = t - note.startSeconds;
            if (local < 0.0) {
                continue;
            }
            // A 10 ms attack avoids a click; the tail fades to silence before the end.
            const double envelope = std::min(1.0, local / 0.01) * std::exp(-4.0 * local) *
                                    std::min(1.0, (kLengthSeconds - t) / 0.05);
            value += 0.45 * envelope * std::sin(2.0 * std::numbers::pi * note.frequency * local);
        }
        samples[static_cast<size_t>(i)] =
            static_cast<qint16>(std::clamp(value, -1.0, 1.0) * 32767.0);
    }
    return samples;
}

GstPtr<GstElement> chimeSource() {
    GstPtr<GstElement> source = makeOwnedElement("appsrc");
    if (!source) {
        return nullptr;
    }
    g_autoptr(GstCaps) caps = gst_caps_new_simple(
        "audio/x-raw", "format", G_TYPE_STRING, "S16LE", "rate", G_TYPE_INT, kRate, "channels",
        G_TYPE_INT, 1, "layout", G_TYPE_STRING, "interleaved", nullptr);
    g_object_set(source.get(), "caps", caps, "format", GST_FORMAT_TIME, nullptr);
    const std::vector<qint16> samples = chimeSamples();
    const gsize bytes = samples.size() * sizeof(qint16);
    g_autoptr(GstBuffer) buffer = gst_buffer_new_allocate(nullptr, bytes, nullptr);
    gst_buffer_fill(buffer, 0, samples.data(), bytes);
    GST_BUFFER_PTS(buffer) = 0;
    GST_BUFFER_DURATION(buffer) = gst_util_uint64_scale(samples.size(), GST_SECOND, kRate);
    GstFlowReturn flow = GST_FLOW_OK;
    // The action signals keep the program free of the app library; the source takes its own
    // reference of the buffer.
    g_signal_emit_by_name(source.get(), "push-buffer", buffer, &flow);
    g_signal_emit_by_name(source.get(), "end-of-stream", &flow);
    return source;
}

}  // namespace

int TestChime::durationMs() {
    return static_cast<int>(kLengthSeconds * 1000);
}

TestChime::TestChime(OutputDevices& devices, QObject* parent) : QObject(parent), devices_(devices) {
    poll_.setInterval(kPollMs);
    connect(&poll_, &QTimer::timeout, this, &TestChime::poll);
}

TestChime::~TestChime() {
    stop();
}

void TestChime::stop() {
    poll_.stop();
    destroyAudioGraph(graph_);
}

qint32 TestChime::play(const QString& deviceName, int volume, QString& text) {
    stop();
    text.clear();
    if (!initAudioEngine()) {
        return kErrorFail;
    }
    const GstPtr<GstElement> sink = findRendererOrDefault(devices_, deviceName);
    if (!sink) {
        return kErrorNoAudioDevice;
    }
    // Each held by us until the end of the build; the pipeline takes references of its own.
    const GstPtr<GstElement> source = chimeSource();
    const GstPtr<GstElement> convert = makeOwnedElement("audioconvert");
    const GstPtr<GstElement> resample = makeOwnedElement("audioresample");
    const GstPtr<GstElement> level = makeOwnedElement("volume");
    GstElement* made = gst_pipeline_new("chime");
    PipelinePtr pipeline(made != nullptr ? GST_ELEMENT(gst_object_ref_sink(made)) : nullptr);
    if (!source || !convert || !resample || !level || !pipeline) {
        return kErrorFail;
    }
    gst_bin_add_many(GST_BIN(pipeline.get()), source.get(), convert.get(), resample.get(),
                     level.get(), sink.get(), nullptr);
    g_object_set(level.get(), "volume", attenuationToGain(volumeToAttenuation(volume)), nullptr);
    graph_.pipeline = std::move(pipeline);
    graph_.volume = level.get();
    graph_.sink = sink.get();
    if (!gst_element_link_many(source.get(), convert.get(), resample.get(), level.get(), sink.get(),
                               nullptr)) {
        stop();
        return kErrorFail;
    }
    const PrerollResult preroll = prerollAudioGraph(graph_, kChimePrerollMs);
    if (preroll.code != 0 || gst_element_set_state(graph_.pipeline.get(), GST_STATE_PLAYING) ==
                                 GST_STATE_CHANGE_FAILURE) {
        text = preroll.text;
        stop();
        return preroll.code != 0 ? preroll.code : kErrorNoAudioDevice;
    }
    poll_.start();
    return 0;
}

void TestChime::poll() {
    if (graph_.pipeline == nullptr) {
        poll_.stop();
        return;
    }
    g_autoptr(GstBus) bus = gst_element_get_bus(graph_.pipeline.get());
    g_autoptr(GstMessage) message =
        gst_bus_pop_filtered(bus, GstMessageType(GST_MESSAGE_EOS | GST_MESSAGE_ERROR));
    if (message == nullptr) {
        return;
    }
    QString text;
    const bool broke = GST_MESSAGE_TYPE(message) == GST_MESSAGE_ERROR;
    if (broke) {
        g_autoptr(GError) error = nullptr;
        gst_message_parse_error(message, &error, nullptr);
        text = errorMessageText(error);
    }
    stop();
    if (broke) {
        emit failed(text);
    }
}
