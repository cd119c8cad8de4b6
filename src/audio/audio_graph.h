#pragma once

#include <gst/gst.h>
#include <QString>

#include "audio/gst_support.h"

class MusicFile;

// The two hand-built graph shapes: the general decoder graph, and the Windows Media one
// (ASF demuxer with an explicit WMA decoder) tried when the first fails.
// -100 dB: silent at 16 bits. Not exactly 0, which makes the volume element mark its
// buffers as gaps that the sound server then starves on, stalling the next fade-in.
constexpr double kSilentGain = 1e-5;

// The volume element's linear gain for hundredths of a decibel.
double attenuationToGain(int attenuation);

enum class GraphShape { Decoder, WindowsMedia };

struct AudioGraph {
    PipelinePtr pipeline;  // owns everything below; taken down when let go
    GstElement* volume = nullptr;
    GstElement* sink = nullptr;
};

// filesrc ! (decodebin | asfdemux ! wma decoder) ! audioconvert ! audioresample
//   ! audiobuffersplit ! volume ! sink, reading the open file, which must stay open as long as
// the graph. One-channel streams go to the sink as mono, heard at full level on every
// speaker. Returns false (and frees everything) when an element is missing.
bool buildAudioGraph(GraphShape shape, const MusicFile& file, GstPtr<GstElement> sink,
                     AudioGraph& graph);

struct PrerollResult {
    qint32 code = 0;
    QString text;
};

// Takes the graph to PAUSED and waits, at most timeoutMs, until it has prerolled, or, with
// `heldMessage`, until an element posts the application message of that name.
PrerollResult prerollAudioGraph(const AudioGraph& graph, int timeoutMs,
                                const char* heldMessage = nullptr);

// The result code for a media framework error; errors of the output count as a missing
// audio device.
qint32 resultCodeForError(GError* error, GstObject* source, GstElement* sink);
bool isOutputError(GError* error, GstObject* source, GstElement* sink);

void destroyAudioGraph(AudioGraph& graph);
// Pipelines built and not yet finalised, for checking that players leave nothing behind.
int liveAudioGraphs();
