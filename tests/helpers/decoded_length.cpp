#include "helpers/decoded_length.h"

#include <gst/gst.h>
#include <QFile>
#include <QProcess>
#include <QStringList>

namespace {

struct Count {
    guint64 bytes = 0;
    int rate = 0;
    int channels = 0;
};

GstPadProbeReturn onBuffer(GstPad* pad, GstPadProbeInfo* info, gpointer data) {
    auto* count = static_cast<Count*>(data);
    count->bytes += gst_buffer_get_size(GST_PAD_PROBE_INFO_BUFFER(info));
    if (count->rate == 0) {
        if (GstCaps* caps = gst_pad_get_current_caps(pad)) {
            const GstStructure* s = gst_caps_get_structure(caps, 0);
            gst_structure_get_int(s, "rate", &count->rate);
            gst_structure_get_int(s, "channels", &count->channels);
            gst_caps_unref(caps);
        }
    }
    return GST_PAD_PROBE_OK;
}

// A pipeline from the description, whose "src" reads the file; nullptr when it fails.
GstElement* pipelineOn(const char* description, const QString& path) {
    GError* error = nullptr;
    GstElement* pipeline = gst_parse_launch(description, &error);
    if (error != nullptr) {
        g_error_free(error);
        if (pipeline != nullptr) {
            gst_object_unref(pipeline);
        }
        return nullptr;
    }
    GstElement* src = gst_bin_get_by_name(GST_BIN(pipeline), "src");
    g_object_set(src, "location", QFile::encodeName(path).constData(), nullptr);
    gst_object_unref(src);
    return pipeline;
}

}  // namespace

qint64 decodedLengthMs(const QString& path) {
    GstElement* pipeline = pipelineOn(
        "filesrc name=src ! decodebin ! audioconvert ! audio/x-raw,format=S16LE ! "
        "fakesink name=out sync=false",
        path);
    if (pipeline == nullptr) {
        return -1;
    }
    GstElement* out = gst_bin_get_by_name(GST_BIN(pipeline), "out");
    GstPad* pad = gst_element_get_static_pad(out, "sink");
    Count count;
    gst_pad_add_probe(pad, GST_PAD_PROBE_TYPE_BUFFER, &onBuffer, &count, nullptr);
    gst_object_unref(pad);
    gst_object_unref(out);
    gst_element_set_state(pipeline, GST_STATE_PLAYING);
    GstBus* bus = gst_element_get_bus(pipeline);
    GstMessage* message = gst_bus_timed_pop_filtered(
        bus, 60 * GST_SECOND, GstMessageType(GST_MESSAGE_EOS | GST_MESSAGE_ERROR));
    const bool ended = message != nullptr && GST_MESSAGE_TYPE(message) == GST_MESSAGE_EOS;
    if (message != nullptr) {
        gst_message_unref(message);
    }
    gst_object_unref(bus);
    gst_element_set_state(pipeline, GST_STATE_NULL);
    gst_object_unref(pipeline);
    if (!ended || count.rate == 0 || count.channels == 0) {
        return -1;
    }
    return static_cast<qint64>(count.bytes / (2u * static_cast<guint64>(count.channels)) * 1000 /
                               static_cast<guint64>(count.rate));
}

bool encodeWithFfmpeg(const QString& path, const QStringList& inputs, const QString& filter,
                      const QStringList& encoder) {
    QStringList arguments{QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-y")};
    for (const QString& input : inputs) {
        arguments << QStringLiteral("-f") << QStringLiteral("lavfi") << QStringLiteral("-i")
                  << input;
    }
    if (!filter.isEmpty()) {
        arguments << QStringLiteral("-filter_complex") << filter;
    }
    arguments << encoder << path;
    QProcess ffmpeg;
    ffmpeg.start(QStringLiteral("ffmpeg"), arguments);
    return ffmpeg.waitForFinished(120000) && ffmpeg.exitCode() == 0;
}

qint64 prerolledLengthMs(const QString& path) {
    GstElement* pipeline =
        pipelineOn("filesrc name=src ! decodebin ! audioconvert ! fakesink", path);
    if (pipeline == nullptr) {
        return -1;
    }
    gst_element_set_state(pipeline, GST_STATE_PAUSED);
    gint64 duration = -1;
    if (gst_element_get_state(pipeline, nullptr, nullptr, 10 * GST_SECOND) !=
            GST_STATE_CHANGE_SUCCESS ||
        !gst_element_query_duration(pipeline, GST_FORMAT_TIME, &duration)) {
        duration = -1;
    }
    gst_element_set_state(pipeline, GST_STATE_NULL);
    gst_object_unref(pipeline);
    return duration >= 0 ? duration / GST_MSECOND : -1;
}
