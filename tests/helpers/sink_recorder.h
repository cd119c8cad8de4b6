#pragma once

#include <gst/gst.h>
#include <QString>
#include <mutex>
#include <utility>
#include <vector>

// Records what a PulseAudio sink plays, from its monitor, as mono 16-bit samples, and knows
// when each sample was played on the monotonic clock.
class SinkRecorder {
  public:
    static constexpr int kRate = 44100;
    // Marks samples the recorder missed; no level counts them.
    static constexpr qint16 kMissing = -32768;

    // How a sample's time is known: from the first buffer's time and the count since (the
    // default; each recorder is then off by up to a capture block, 5 ms), or, for timing to
    // the millisecond, from every buffer's own time of capture (timeOfSampleNs).
    enum class Timing { FirstBuffer, EveryBuffer };
    explicit SinkRecorder(const QString& sinkName, Timing timing = Timing::FirstBuffer);
    ~SinkRecorder();
    // Starts and waits until samples arrive.
    bool start();
    void stop();

    // Monotonic time (ns) at which sample 0 was played.
    qint64 startTimeNs() const;
    // Monotonic time (ns) at which sample `index` was played. With EveryBuffer: the median, over
    // the buffers of the second before and after it, of their capture time less their place,
    // so that the jitter of the captures cancels out.
    qint64 timeOfSampleNs(qint64 index) const;
    std::vector<qint16> samples() const;
    // Waits, at most 3 s, until what was played up to that monotonic time is recorded.
    bool waitUntilRecorded(qint64 ns) const;
    // Level in dB (relative to full scale) of the samples played between two monotonic times;
    // NaN (which fails every comparison) when less than 90 % of them were recorded. Waits (a
    // few seconds at most) for the window's end to be recorded.
    double levelDb(qint64 fromNs, qint64 toNs) const;
    // The first monotonic time after `fromNs` at which a 5 ms window is louder than the
    // threshold, or -1.
    qint64 firstSoundNs(qint64 fromNs, double thresholdDb = -50.0) const;
    // The same for the energy at one frequency (10 ms windows).
    qint64 firstToneNs(qint64 fromNs, double frequency, double thresholdDb) const;
    // Level in dB of one frequency between two monotonic times, as levelDb would measure that
    // tone alone (whole 400-sample blocks: 441 Hz and 882 Hz do not leak into each other).
    double toneLevelDb(qint64 fromNs, qint64 toNs, double frequency) const;
    // The last moment sound was heard, or -1.
    qint64 lastSoundNs(double thresholdDb = -50.0) const;

  private:
    static GstFlowReturn onSample(GstElement* sink, gpointer self);
    qint64 sampleIndexAt(qint64 ns) const;

    QString sinkName_;
    Timing timing_;
    GstElement* pipeline_ = nullptr;
    mutable std::mutex mutex_;
    std::vector<qint16> samples_;
    qint64 startNs_ = -1;
    std::vector<std::pair<qint64, qint64>> stamps_;  // EveryBuffer: first sample, its time
};

double levelDb(const qint16* samples, size_t count);
qint64 monotonicNs();
