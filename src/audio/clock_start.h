#pragma once

#include <vector>

#include "audio/audio_graph.h"

// Starts on the clock rather than at once: a graph held ahead of its volume (graph_hold.h) is
// run on the system's monotonic clock with its data placed that much later in running time,
// so that its first sample is heard at a given time however long before it the graph was
// run. The fade-in is a control source on the volume, stepped on the same clock.

// The monotonic clock's time (ns) when the wall clock reads `msecsSinceEpoch`, by both clocks
// as they read now.
GstClockTime monotonicTimeAt(qint64 msecsSinceEpoch);
// Runs the held graph so that its first sample is heard at the monotonic time `at`, its
// volume taking `gains` one `step` apart from then on. False when the graph refuses to run.
bool runAudioGraphAt(const AudioGraph& graph, gulong& hold, GstClockTime at,
                     const std::vector<double>& gains, GstClockTime step);
// The volume takes the values set on it again: what is left of such a fade is dropped.
void endTimedFade(const AudioGraph& graph);
// Before a flushing seek of a graph run so: the seek's new running time is the pipeline's own.
void endClockedStart(const AudioGraph& graph);
