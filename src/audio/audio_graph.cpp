#include "audio/audio_graph.h"

#include <QFile>
#include <algorithm>
#include <atomic>
#include <cmath>

#include "audio/gst_support.h"
#include "audio/music_file.h"
#include "core/playback/media_player.h"

namespace {

std::atomic<int> liveGraphs{0};

struct LinkTarget {
    GstElement* converter = nullptr;
    bool linked = false;
};

// What the pad carries, or may carry when it has not said yet (a reference of our own).
GstCaps* padCaps(GstPad* pad) {
    GstCaps* caps = gst_pad_get_current_caps(pad);
    return caps != nullptr ? caps : gst_pad_query_caps(pad, nullptr);
}

bool isAudioPad(GstPad* pad) {
    g_autoptr(GstCaps) caps = padCaps(pad);
    if (caps == nullptr || gst_caps_get_size(caps) == 0) {
        return false;
    }
    const gchar* name = gst_structure_get_name(gst_caps_get_structure(caps, 0));
    return g_str_has_prefix(name, "audio/");
}

bool linkToConverter(GstPad* pad, LinkTarget* target) {
    if (target->linked) {
        return false;
    }
    g_autoptr(GstPad) sinkPad = gst_element_get_static_pad(target->converter, "sink");
    const bool ok = gst_pad_link(pad, sinkPad) == GST_PAD_LINK_OK;
    target->linked = ok;
    return ok;
}

void onDecodedPad(GstElement*, GstPad* pad, gpointer data) {
    if (isAudioPad(pad)) {
        linkToConverter(pad, static_cast<LinkTarget*>(data));
    }
}

const char* wmaDecoderFor(GstPad* pad) {
    g_autoptr(GstCaps) caps = padCaps(pad);
    if (caps == nullptr || gst_caps_get_size(caps) == 0) {
        return nullptr;
    }
    const GstStructure* s = gst_caps_get_structure(caps, 0);
    if (!gst_structure_has_name(s, "audio/x-wma")) {
        return nullptr;
    }
    gint version = 0;
    gst_structure_get_int(s, "wmaversion", &version);
    return version == 1   ? "avdec_wmav1"
           : version == 2 ? "avdec_wmav2"
           : version == 3 ? "avdec_wmapro"
           : version == 4 ? "avdec_wmalossless"
                          : nullptr;
}

void onAsfPad(GstElement* demux, GstPad* pad, gpointer data) {
    auto* target = static_cast<LinkTarget*>(data);
    const char* decoderName = wmaDecoderFor(pad);
    if (target->linked || decoderName == nullptr) {
        return;
    }
    GstElement* decoder = makeElement(decoderName);
    if (decoder == nullptr) {
        return;
    }
    {
        g_autoptr(GstElement) pipeline = GST_ELEMENT(gst_element_get_parent(demux));
        gst_bin_add(GST_BIN(pipeline), decoder);
    }
    g_autoptr(GstPad) decoderSink = gst_element_get_static_pad(decoder, "sink");
    const bool linked = gst_pad_link(pad, decoderSink) == GST_PAD_LINK_OK &&
                        gst_element_link(decoder, target->converter);
    if (linked) {
        gst_element_sync_state_with_parent(decoder);
        target->linked = true;
    }
}

// With no audio stream the graph would never preroll: say so at once.
void onNoMorePads(GstElement* element, gpointer data) {
    if (!static_cast<LinkTarget*>(data)->linked) {
        GST_ELEMENT_ERROR(element, STREAM, TYPE_NOT_FOUND, ("No audio stream"), (nullptr));
    }
}

void freeTarget(gpointer data, GClosure*) {
    delete static_cast<LinkTarget*>(data);
}

// The source reads the file through its descriptor's name; asked for its address, it gives
// the file's own, whose extension helps the type finders tell ambiguous formats apart.
GstPadProbeReturn answerUriQuery(GstPad*, GstPadProbeInfo* info, gpointer uri) {
    GstQuery* query = GST_PAD_PROBE_INFO_QUERY(info);
    if (GST_QUERY_TYPE(query) != GST_QUERY_URI) {
        return GST_PAD_PROBE_OK;
    }
    gst_query_set_uri(query, static_cast<const gchar*>(uri));
    return GST_PAD_PROBE_HANDLED;
}

void answerWithFileUri(GstElement* source, const QString& path) {
    g_autofree gchar* uri = gst_filename_to_uri(QFile::encodeName(path).constData(), nullptr);
    if (uri == nullptr) {
        return;
    }
    g_autoptr(GstPad) pad = gst_element_get_static_pad(source, "src");
    gst_pad_add_probe(pad, GST_PAD_PROBE_TYPE_QUERY_UPSTREAM, answerUriQuery, g_steal_pointer(&uri),
                      g_free);
}

// One channel is mono whatever the file says about its place: a WAV that names it the front
// centre would be split by the sound server over the front pair, 6 dB down on each side.
GstPadProbeReturn announceOneChannelAsMono(GstPad*, GstPadProbeInfo* info, gpointer) {
    GstEvent* event = GST_PAD_PROBE_INFO_EVENT(info);
    if (GST_EVENT_TYPE(event) != GST_EVENT_CAPS) {
        return GST_PAD_PROBE_OK;
    }
    GstCaps* caps = nullptr;
    gst_event_parse_caps(event, &caps);
    const GstStructure* s = gst_caps_get_structure(caps, 0);
    gint channels = 0;
    if (s == nullptr || !gst_structure_get_int(s, "channels", &channels) || channels != 1 ||
        !gst_structure_has_field(s, "channel-mask")) {
        return GST_PAD_PROBE_OK;
    }
    g_autoptr(GstCaps) mono = gst_caps_copy(caps);
    gst_structure_remove_field(gst_caps_get_structure(mono, 0), "channel-mask");
    // The probe's data is replaced: the event it held is ours to drop.
    GST_PAD_PROBE_INFO_DATA(info) = gst_event_new_caps(mono);
    gst_event_unref(event);
    return GST_PAD_PROBE_OK;
}

void playOneChannelAsMono(GstElement* converter) {
    g_autoptr(GstPad) pad = gst_element_get_static_pad(converter, "sink");
    gst_pad_add_probe(pad, GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM, announceOneChannelAsMono, nullptr,
                      nullptr);
}

// Counted down when the pipeline is really finalised, not when its owner lets go of it: a
// reference left anywhere (a message, a handler) keeps it alive, and the count shows it.
void onPipelineFinalised(gpointer, GObject*) {
    --liveGraphs;
}

}  // namespace

double attenuationToGain(int attenuation) {
    return attenuation <= kSilentAttenuation ? kSilentGain : std::pow(10.0, attenuation / 2000.0);
}

bool buildAudioGraph(GraphShape shape, const MusicFile& file, GstPtr<GstElement> sink,
                     AudioGraph& graph) {
    graph = AudioGraph{};
    if (!sink) {
        return false;
    }
    // Each held by us until the end of the build; the pipeline takes references of its own.
    const GstPtr<GstElement> source = makeOwnedElement("filesrc");
    const GstPtr<GstElement> front =
        makeOwnedElement(shape == GraphShape::Decoder ? "decodebin" : "asfdemux");
    const GstPtr<GstElement> convert = makeOwnedElement("audioconvert");
    const GstPtr<GstElement> resample = makeOwnedElement("audioresample");
    const GstPtr<GstElement> volume = makeOwnedElement("volume");
    // Small buffers ahead of the volume, so each fade step is heard within milliseconds.
    const GstPtr<GstElement> split = makeOwnedElement("audiobuffersplit");
    GstElement* made = gst_pipeline_new(nullptr);
    PipelinePtr pipeline(made != nullptr ? GST_ELEMENT(gst_object_ref_sink(made)) : nullptr);
    if (!source || !front || !convert || !resample || !volume || !pipeline) {
        return false;
    }
    ++liveGraphs;
    g_object_weak_ref(G_OBJECT(pipeline.get()), onPipelineFinalised, nullptr);
    g_object_set(source.get(), "location", file.location().constData(), nullptr);
    answerWithFileUri(source.get(), file.path());
    playOneChannelAsMono(convert.get());
    // Silent until the owner sets a level: the buffers that preroll pass the volume before
    // run(), and would otherwise start the sound with a click at full level.
    g_object_set(volume.get(), "volume", kSilentGain, nullptr);
    gst_bin_add_many(GST_BIN(pipeline.get()), source.get(), front.get(), convert.get(),
                     resample.get(), volume.get(), sink.get(), nullptr);
    bool linked = gst_element_link(source.get(), front.get()) &&
                  gst_element_link(convert.get(), resample.get());
    if (split) {
        gst_util_set_object_arg(G_OBJECT(split.get()), "output-buffer-duration", "1/100");
        gst_bin_add(GST_BIN(pipeline.get()), split.get());
        linked =
            linked && gst_element_link_many(resample.get(), split.get(), volume.get(), nullptr);
    } else {
        linked = linked && gst_element_link(resample.get(), volume.get());
    }
    linked = linked && gst_element_link(volume.get(), sink.get());

    auto* target = new LinkTarget{convert.get(), false};
    g_signal_connect_data(
        front.get(), "pad-added",
        shape == GraphShape::Decoder ? G_CALLBACK(onDecodedPad) : G_CALLBACK(onAsfPad), target,
        freeTarget, GConnectFlags(0));
    g_signal_connect(front.get(), "no-more-pads", G_CALLBACK(onNoMorePads), target);

    if (!linked) {
        return false;
    }
    graph.pipeline = std::move(pipeline);
    graph.volume = volume.get();
    graph.sink = sink.get();
    return true;
}

bool isOutputError(GError* error, GstObject* source, GstElement* sink) {
    if (error == nullptr || error->domain != GST_RESOURCE_ERROR || sink == nullptr) {
        return false;
    }
    return source == GST_OBJECT(sink) || gst_object_has_as_ancestor(source, GST_OBJECT(sink));
}

qint32 resultCodeForError(GError* error, GstObject* source, GstElement* sink) {
    if (error == nullptr) {
        return kErrorFail;
    }
    if (isOutputError(error, source, sink)) {
        return kErrorNoAudioDevice;
    }
    if (error->domain == GST_RESOURCE_ERROR) {
        switch (error->code) {
            case GST_RESOURCE_ERROR_NOT_FOUND:
                return kErrorFileNotFound;
            case GST_RESOURCE_ERROR_NOT_AUTHORIZED:
            case GST_RESOURCE_ERROR_OPEN_READ:
                return kErrorAccessDenied;
            default:
                return kErrorFail;
        }
    }
    if (error->domain == GST_STREAM_ERROR) {
        switch (error->code) {
            case GST_STREAM_ERROR_TYPE_NOT_FOUND:
            case GST_STREAM_ERROR_WRONG_TYPE:
                return kErrorInvalidFileFormat;
            case GST_STREAM_ERROR_CODEC_NOT_FOUND:
                return kErrorUnsupportedStream;
            default:
                return kErrorFail;
        }
    }
    if (error->domain == GST_CORE_ERROR && error->code == GST_CORE_ERROR_MISSING_PLUGIN) {
        return kErrorUnsupportedStream;
    }
    return kErrorFail;
}

PrerollResult prerollAudioGraph(const AudioGraph& graph, int timeoutMs, const char* heldMessage) {
    PrerollResult result;
    g_autoptr(GstBus) bus = gst_element_get_bus(graph.pipeline.get());
    if (gst_element_set_state(graph.pipeline.get(), GST_STATE_PAUSED) == GST_STATE_CHANGE_FAILURE) {
        // The element that failed normally says why; do not wait long for it.
        result.code = kErrorFail;
        timeoutMs = std::min(timeoutMs, 200);
    }
    const GstClockTime deadline = gst_util_get_timestamp() + timeoutMs * GST_MSECOND;
    for (;;) {
        const GstClockTime now = gst_util_get_timestamp();
        g_autoptr(GstMessage) message =
            now < deadline ? gst_bus_timed_pop_filtered(
                                 bus, deadline - now,
                                 GstMessageType(GST_MESSAGE_ERROR | GST_MESSAGE_ASYNC_DONE |
                                                GST_MESSAGE_APPLICATION))
                           : nullptr;
        if (message == nullptr) {
            if (result.code == 0) {
                result.code = kErrorTimeout;
            }
            break;
        }
        if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_ERROR) {
            g_autoptr(GError) error = nullptr;
            gst_message_parse_error(message, &error, nullptr);
            result.code = resultCodeForError(error, GST_MESSAGE_SRC(message), graph.sink);
            result.text = errorMessageText(error);
            break;
        }
        const bool done = GST_MESSAGE_TYPE(message) == GST_MESSAGE_APPLICATION
                              ? heldMessage != nullptr && gst_message_has_name(message, heldMessage)
                              : GST_MESSAGE_SRC(message) == GST_OBJECT(graph.pipeline.get());
        if (done) {
            break;
        }
    }
    return result;
}

void destroyAudioGraph(AudioGraph& graph) {
    graph = AudioGraph{};
}

int liveAudioGraphs() {
    return liveGraphs.load();
}
