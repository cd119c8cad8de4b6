#include "audio/graph_hold.h"

#include <algorithm>

#include "audio/gst_support.h"
#include "audio/media_player.h"

namespace {

const char* const kHeld = "kb-held";

GstPadProbeReturn onFirstData(GstPad* pad, GstPadProbeInfo*, gpointer) {
    // Said once; the pad stays blocked until the probe is removed.
    GstElement* volume = GST_ELEMENT(gst_pad_get_parent(pad));
    if (volume != nullptr) {
        gst_element_post_message(volume, gst_message_new_application(
                                             GST_OBJECT(volume), gst_structure_new_empty(kHeld)));
        gst_object_unref(volume);
    }
    return GST_PAD_PROBE_OK;
}

}  // namespace

PrerollResult holdAudioGraph(const AudioGraph& graph, int timeoutMs, gulong& hold) {
    PrerollResult result;
    GstPad* pad = gst_element_get_static_pad(graph.volume, "sink");
    hold =
        gst_pad_add_probe(pad, GST_PAD_PROBE_TYPE_BLOCK_DOWNSTREAM, &onFirstData, nullptr, nullptr);
    gst_object_unref(pad);
    GstBus* bus = gst_element_get_bus(graph.pipeline);
    if (gst_element_set_state(graph.pipeline, GST_STATE_PAUSED) == GST_STATE_CHANGE_FAILURE) {
        result.code = kErrorFail;
        timeoutMs = std::min(timeoutMs, 200);
    }
    const GstClockTime deadline = gst_util_get_timestamp() + timeoutMs * GST_MSECOND;
    for (;;) {
        const GstClockTime now = gst_util_get_timestamp();
        GstMessage* message = now < deadline
                                  ? gst_bus_timed_pop_filtered(
                                        bus, deadline - now,
                                        GstMessageType(GST_MESSAGE_ERROR | GST_MESSAGE_APPLICATION))
                                  : nullptr;
        if (message == nullptr) {
            result.code = result.code != 0 ? result.code : kErrorTimeout;
            break;
        }
        if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_ERROR) {
            GError* error = nullptr;
            gst_message_parse_error(message, &error, nullptr);
            result.code = resultCodeForError(error, GST_MESSAGE_SRC(message), graph.sink);
            result.text = errorMessageText(error);
            g_error_free(error);
            gst_message_unref(message);
            break;
        }
        const bool held = gst_message_has_name(message, kHeld);
        gst_message_unref(message);
        if (held) {
            break;
        }
    }
    gst_object_unref(bus);
    return result;
}

void releaseAudioGraph(const AudioGraph& graph, gulong& hold) {
    if (hold == 0) {
        return;
    }
    GstPad* pad = gst_element_get_static_pad(graph.volume, "sink");
    gst_pad_remove_probe(pad, hold);
    gst_object_unref(pad);
    hold = 0;
}
