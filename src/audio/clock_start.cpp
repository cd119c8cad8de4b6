#include "audio/clock_start.h"

#include <gst/controller/gstdirectcontrolbinding.h>
#include <gst/controller/gstinterpolationcontrolsource.h>

#include "audio/graph_hold.h"

namespace {

// Clock skew beyond this is corrected by a jump in the sound; a bell played on the system
// clock keeps the sound card's pace instead, as one played on the sink's own clock does.
constexpr gint64 kFreeRunningDriftMicroseconds = G_GINT64_CONSTANT(3600) * G_USEC_PER_SEC;

bool hasSinkProperty(GstElement* sink, const char* name) {
    return sink != nullptr && g_object_class_find_property(G_OBJECT_GET_CLASS(sink), name);
}

}  // namespace

GstClockTime monotonicTimeAt(qint64 msecsSinceEpoch) {
    g_autoptr(GstClock) clock = gst_system_clock_obtain();
    // The wall clock read between two reads of the monotonic one, closest together of a few
    // tries: a thread put aside between them on a busy machine would put the answer off by
    // as long, and the clock as set would seem to have moved.
    gint64 now = 0;
    gint64 wallUs = 0;
    GstClockTime closest = GST_CLOCK_TIME_NONE;
    for (int i = 0; i < 5 && closest > 200 * GST_USECOND; ++i) {
        const GstClockTime before = gst_clock_get_time(clock);
        const gint64 wall = g_get_real_time();
        const GstClockTime after = gst_clock_get_time(clock);
        if (after - before < closest) {
            closest = after - before;
            now = static_cast<gint64>(before + (after - before) / 2);
            wallUs = wall;
        }
    }
    const gint64 at = now + (msecsSinceEpoch * 1000 - wallUs) * 1000;
    return at > 0 ? static_cast<GstClockTime>(at) : 0;
}

bool runAudioGraphAt(const AudioGraph& graph, gulong& hold, GstClockTime at,
                     const std::vector<double>& gains, GstClockTime step) {
    if (gains.empty()) {
        return false;
    }
    // The first data has the stream time 0: the steps are placed from there.
    g_autoptr(GstControlSource) steps = gst_interpolation_control_source_new();
    g_object_set(steps, "mode", GST_INTERPOLATION_MODE_NONE, nullptr);
    for (size_t i = 0; i < gains.size(); ++i) {
        gst_timed_value_control_source_set(GST_TIMED_VALUE_CONTROL_SOURCE(steps), i * step,
                                           gains[i]);
    }
    g_object_set(graph.volume, "volume", gains.front(), nullptr);
    gst_object_add_control_binding(
        GST_OBJECT(graph.volume),
        gst_direct_control_binding_new_absolute(GST_OBJECT(graph.volume), "volume", steps));
    if (hasSinkProperty(graph.sink, "drift-tolerance")) {
        g_object_set(graph.sink, "drift-tolerance", kFreeRunningDriftMicroseconds, nullptr);
    }
    GstElement* pipeline = graph.pipeline.get();
    g_autoptr(GstClock) clock = gst_system_clock_obtain();
    gst_pipeline_use_clock(GST_PIPELINE(pipeline), clock);
    // Running time 0 is now, and the data comes that much later. A sound server's stream
    // counts its time from when it is opened, also while it waits: it has to start at once
    // and play silence until the first sample is due, rather than wait for it.
    const GstClockTime now = gst_clock_get_time(clock);
    gst_element_set_start_time(pipeline, GST_CLOCK_TIME_NONE);
    gst_element_set_base_time(pipeline, now);
    {
        g_autoptr(GstPad) out = gst_element_get_static_pad(graph.volume, "src");
        gst_pad_set_offset(out, at > now ? static_cast<gint64>(at - now) : 0);
    }
    const bool failed =
        gst_element_set_state(pipeline, GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE;
    releaseAudioGraph(graph, hold);
    return !failed;
}

void endClockedStart(const AudioGraph& graph) {
    // A flushing seek starts the running time again at 0: the pipeline chooses the base time
    // again, and the data is not held back any more.
    gst_element_set_start_time(graph.pipeline.get(), 0);
    g_autoptr(GstPad) out = gst_element_get_static_pad(graph.volume, "src");
    gst_pad_set_offset(out, 0);
}

void endTimedFade(const AudioGraph& graph) {
    g_autoptr(GstControlBinding) binding =
        gst_object_get_control_binding(GST_OBJECT(graph.volume), "volume");
    if (binding != nullptr) {
        gst_object_remove_control_binding(GST_OBJECT(graph.volume), binding);
    }
}
