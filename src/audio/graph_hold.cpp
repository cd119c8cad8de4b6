#include "audio/graph_hold.h"

namespace {

const char* const kHeld = "kb-held";

GstPadProbeReturn onFirstData(GstPad* pad, GstPadProbeInfo*, gpointer) {
    // Said once; the pad stays blocked until the probe is removed.
    g_autoptr(GstElement) volume = GST_ELEMENT(gst_pad_get_parent(pad));
    if (volume != nullptr) {
        gst_element_post_message(volume, gst_message_new_application(
                                             GST_OBJECT(volume), gst_structure_new_empty(kHeld)));
    }
    return GST_PAD_PROBE_OK;
}

}  // namespace

PrerollResult holdAudioGraph(const AudioGraph& graph, int timeoutMs, gulong& hold) {
    {
        g_autoptr(GstPad) pad = gst_element_get_static_pad(graph.volume, "sink");
        hold = gst_pad_add_probe(pad, GST_PAD_PROBE_TYPE_BLOCK_DOWNSTREAM, &onFirstData, nullptr,
                                 nullptr);
    }
    return prerollAudioGraph(graph, timeoutMs, kHeld);
}

void releaseAudioGraph(const AudioGraph& graph, gulong& hold) {
    if (hold == 0) {
        return;
    }
    g_autoptr(GstPad) pad = gst_element_get_static_pad(graph.volume, "sink");
    gst_pad_remove_probe(pad, hold);
    hold = 0;
}
