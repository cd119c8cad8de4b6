#pragma once

#include <gst/gst.h>
#include <QString>
#include <mutex>
#include <vector>

// Records what a PulseAudio sink plays, from its monitor, as mono 16-bit samples, and knows
// when each sample was played on the monotonic clock and which samples it did not hear.
//
// A sample's time comes from its place in the stream, never from when the recorder got it:
// the sink plays its samples one after another on the monotonic clock, so a sample was played
// at the earliest time that the arrivals around it allow (each buffer came after its samples
// were played). A busy machine delays some arrivals, which makes them no tighter bound. Samples the
// recorder did not take in time are marked missing: never read as silence, and the samples after
// them keep their places.
class SinkRecorder {
  public:
    static constexpr int kRate = 44100;
    // Marks samples the recorder missed (a recorded sample never has this value).
    static constexpr qint16 kMissing = -32768;

    explicit SinkRecorder(const QString& sinkName);
    // Prints "[recorder] <sink> lost N ms", which scripts/soak-tests.sh adds up from the logs.
    ~SinkRecorder();
    // Starts and waits until samples arrive.
    bool start();
    void stop();

    // Monotonic time (ns) at which sample 0 was played.
    qint64 startTimeNs() const;
    std::vector<qint16> samples() const;
    // The sample played at a monotonic time, and the time of a sample.
    qint64 sampleIndexAt(qint64 ns) const;
    qint64 timeOfSample(qint64 index) const;
    // Waits (10 s at most: a loaded machine hands samples over late) until what was played up
    // to that monotonic time is recorded.
    bool waitUntilRecorded(qint64 ns) const;

    // Milliseconds the recorder did not hear, in all or between two monotonic times (what was
    // not recorded yet counts as not heard).
    double lostMs() const;
    double lostMs(qint64 fromNs, qint64 toNs) const;

    // Milliseconds of digital silence (1 ms windows below -100 dB) between two monotonic times:
    // where a player that should have sounded throughout ran dry.
    double silentMs(qint64 fromNs, qint64 toNs) const;

    // Whether digital silence in a window is the sound's own, or a dropout (a player ran dry on
    // a busy machine) that is left out of a level like samples not heard.
    enum class Silence { IsSound, IsDropout };
    // Level in dB (relative to full scale) of the samples played between two monotonic times;
    // NaN, which fails every comparison, when the recorder did not hear all of them, or when
    // every 5 ms of them held a dropout. Waits for the window's end to be recorded.
    double levelDb(qint64 fromNs, qint64 toNs, Silence silence = Silence::IsSound) const;
    // Level in dB of one frequency between two monotonic times, as levelDb would measure that
    // tone alone (whole 400-sample blocks: 441 Hz and 882 Hz do not leak into each other); NaN
    // like levelDb, and when every block held a dropout.
    double toneLevelDb(qint64 fromNs, qint64 toNs, double frequency,
                       Silence silence = Silence::IsSound) const;
    // The first monotonic time after `fromNs` at which a 5 ms window is louder than the
    // threshold, or -1: also when a sample before it was not heard, since the sound may have
    // started there. Reads what was played up to the call.
    qint64 firstSoundNs(qint64 fromNs, double thresholdDb = -50.0) const;
    // The same for the energy at one frequency (400-sample windows, 100 samples apart).
    qint64 firstToneNs(qint64 fromNs, double frequency, double thresholdDb) const;
    // The last moment sound was heard, or -1.
    qint64 lastSoundNs(double thresholdDb = -50.0) const;

  private:
    struct Arrival {
        qint64 index;  // samples recorded when it came
        qint64 ns;     // monotonic time it came
    };
    static GstFlowReturn onSample(GstElement* sink, gpointer self);
    void append(qint64 offset, const qint16* data, qint64 count, qint64 arrivedNs);
    qint64 timeOfSampleLocked(qint64 index) const;
    qint64 sampleIndexAtLocked(qint64 ns) const;
    // Whether every sample of [from, to) was recorded and heard.
    bool heardLocked(qint64 from, qint64 to) const;
    // Whether [from, to) holds a millisecond of digital silence: a player ran dry there.
    bool ranDryLocked(qint64 from, qint64 to) const;

    QString sinkName_;
    GstElement* pipeline_ = nullptr;
    mutable std::mutex mutex_;
    std::vector<qint16> samples_;
    qint64 firstOffset_ = -1;
    qint64 missing_ = 0;
    // Once the recorder fell behind by more than its buffers hold, samples may have been
    // dropped where no count shows it: everything after is marked missing.
    bool overrun_ = false;
    // Each buffer's arrival, and the earliest time at which sample 0 can have been played.
    std::vector<Arrival> arrivals_;
    qint64 earliestNs_ = 0;
};

double levelDb(const qint16* samples, size_t count);
qint64 monotonicNs();
// Lets a monotonic moment pass and waits until every recorder recorded up to it.
void recordUntil(const std::vector<SinkRecorder*>& sinks, qint64 ns);

// How many times a real-time test measures its scenario when the recorder lost samples in
// the windows its checks read.
constexpr int kRecordingTries = 3;
