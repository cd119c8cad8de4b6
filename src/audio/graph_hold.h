#pragma once

#include "audio/audio_graph.h"

// A graph opened ahead of its start. Prerolled to the sink, the sound server's stream would
// exist from then on, and PulseAudio's stream clock runs while it waits, so a stream opened
// seconds early plays that many seconds late. Held instead just ahead of the volume, with the
// file open, typefound and decoding, the stream is opened only on release: every start is as
// prompt as that of a fresh graph, however long the graph waited.

// Takes the graph to PAUSED and waits, at most timeoutMs, until its first data is held.
PrerollResult holdAudioGraph(const AudioGraph& graph, int timeoutMs, gulong& hold);
// Lets the held data go on to the sink (after the graph was set to PLAYING).
void releaseAudioGraph(const AudioGraph& graph, gulong& hold);
