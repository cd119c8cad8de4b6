#include "audio/duration_probe.h"

#include "audio/audio_graph.h"
#include "audio/gst_support.h"
#include "audio/mpeg_audio_length.h"
#include "audio/music_file.h"

namespace {

constexpr int kProbeTimeoutMs = 3000;

qint64 queryDuration(const AudioGraph& graph) {
    gint64 duration = -1;
    if (gst_element_query_duration(graph.pipeline.get(), GST_FORMAT_TIME, &duration) &&
        duration >= 0) {
        return duration / GST_MSECOND;
    }
    return -1;
}

// Streams without a length in their headers (MPEG audio without an index, raw AAC) get one
// from the parser once it has seen some frames: decode, as fast as it goes, until then.
qint64 durationWhileDecoding(const AudioGraph& graph, GstClockTime deadline) {
    g_autoptr(GstBus) bus = gst_element_get_bus(graph.pipeline.get());
    gst_element_set_state(graph.pipeline.get(), GST_STATE_PLAYING);
    qint64 result = -1;
    while (result < 0) {
        const GstClockTime now = gst_util_get_timestamp();
        if (now >= deadline) {
            break;
        }
        g_autoptr(GstMessage) message = gst_bus_timed_pop_filtered(
            bus, deadline - now,
            GstMessageType(GST_MESSAGE_DURATION_CHANGED | GST_MESSAGE_EOS | GST_MESSAGE_ERROR));
        if (message == nullptr) {
            break;
        }
        const GstMessageType type = GST_MESSAGE_TYPE(message);
        if (type == GST_MESSAGE_ERROR) {
            break;
        }
        result = queryDuration(graph);
        if (result < 0 && type == GST_MESSAGE_EOS) {
            gint64 position = -1;
            if (gst_element_query_position(graph.pipeline.get(), GST_FORMAT_TIME, &position)) {
                result = position / GST_MSECOND;
            }
            break;
        }
    }
    return result;
}

qint64 probeWith(GraphShape shape, const MusicFile& file) {
    GstPtr<GstElement> sink = makeOwnedElement("fakesink");
    if (!sink) {
        return -1;
    }
    g_object_set(sink.get(), "sync", FALSE, nullptr);
    AudioGraph graph;
    if (!buildAudioGraph(shape, file, std::move(sink), graph)) {
        return -1;
    }
    const GstClockTime deadline = gst_util_get_timestamp() + kProbeTimeoutMs * GST_MSECOND;
    qint64 result = -1;
    if (prerollAudioGraph(graph, kProbeTimeoutMs).code == 0) {
        result = queryDuration(graph);
        if (result < 0) {
            result = durationWhileDecoding(graph, deadline);
        }
    }
    destroyAudioGraph(graph);
    return result;
}

}  // namespace

qint64 probeDurationMs(const QString& path) {
    MusicFile file;
    QString text;
    if (file.open(path, text) != 0) {
        return -1;
    }
    // Counted from the frames: GStreamer only estimates MPEG audio without a Xing header.
    if (isMpegAudioFile(path)) {
        const qint64 counted = mpegAudioLengthMs(path);
        if (counted >= 0) {
            return counted;
        }
    }
    if (!initAudioEngine()) {
        return -1;
    }
    const qint64 first = probeWith(GraphShape::Decoder, file);
    return first >= 0 ? first : probeWith(GraphShape::WindowsMedia, file);
}
