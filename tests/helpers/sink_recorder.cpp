#include "helpers/sink_recorder.h"

#include <gst/app/gstappsink.h>
#include <QThread>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

namespace {

constexpr qint64 kSecondNs = 1'000'000'000;
// What the recorder's buffers hold (at PulseAudio and in GStreamer's ring): it may fall this
// far behind before a sample is dropped.
constexpr qint64 kBufferNs = 2 * kSecondNs;
// An arrival later than this behind the line means a buffer may have overrun unseen.
constexpr qint64 kOverrunNs = kBufferNs * 3 / 4;
// Arrivals up to this far from a sample fix its time: long enough that a busy machine hands
// some buffer over promptly, short enough that the sink's clock does not drift from the
// nominal rate by more than a fraction of a millisecond (it runs some 0.02 % fast).
constexpr qint64 kAnchorSamples = 3 * SinkRecorder::kRate;

// Below any sound a player makes on purpose short of silence: what a sink plays for a stream
// that ran dry. A millisecond of it is a dropout (a tone of 441 Hz or more never dips that low
// for that long).
constexpr double kDropoutDb = -100.0;
constexpr qint64 kDropoutWindow = SinkRecorder::kRate / 1000;

double durationNs(qint64 samples) {
    return static_cast<double>(samples) * kSecondNs / SinkRecorder::kRate;
}

double nan() {
    return std::numeric_limits<double>::quiet_NaN();
}

}  // namespace

qint64 monotonicNs() {
    return g_get_monotonic_time() * 1000;
}

void recordUntil(const std::vector<SinkRecorder*>& sinks, qint64 ns) {
    while (monotonicNs() < ns) {
        QThread::msleep(20);
    }
    for (SinkRecorder* sink : sinks) {
        sink->waitUntilRecorded(ns);
    }
}

double levelDb(const qint16* samples, size_t count) {
    double sum = 0.0;
    size_t heard = 0;
    for (size_t i = 0; i < count; ++i) {
        if (samples[i] != SinkRecorder::kMissing) {
            sum += static_cast<double>(samples[i]) * samples[i];
            ++heard;
        }
    }
    if (heard == 0) {
        return -200.0;
    }
    const double rms = std::sqrt(sum / heard) / 32768.0;
    return rms > 0.0 ? 20.0 * std::log10(rms) : -200.0;
}

SinkRecorder::SinkRecorder(const QString& sinkName) : sinkName_(sinkName) {}

SinkRecorder::~SinkRecorder() {
    stop();
    const double lost = lostMs();
    std::printf("[recorder] %s lost %.0f ms\n", qPrintable(sinkName_), lost);
    std::fflush(stdout);
    if (lost > 0.0) {
        // Levels read from windows it did not hear were NaN and failed their checks.
        std::fprintf(stderr, "recording lost %.0f ms on %s\n", lost, qPrintable(sinkName_));
    }
}

bool SinkRecorder::start() {
    // Two seconds of buffer at both ends (pulsesrc asks the server for a record buffer of
    // buffer-time): a recorder starved by a busy machine catches up instead of losing samples.
    // Without a second clock to follow, pulsesrc never skips ahead in its ring.
    const QString description =
        QStringLiteral(
            "pulsesrc device=%1.monitor buffer-time=%2 latency-time=10000 slave-method=none ! "
            "audioconvert ! audio/x-raw,format=S16LE,rate=%3,channels=1 ! "
            "appsink name=out sync=false emit-signals=true")
            .arg(sinkName_)
            .arg(kBufferNs / 1000)
            .arg(kRate);
    GError* error = nullptr;
    pipeline_ = gst_parse_launch(description.toUtf8().constData(), &error);
    if (error != nullptr) {
        g_error_free(error);
        return false;
    }
    GstElement* sink = gst_bin_get_by_name(GST_BIN(pipeline_), "out");
    g_signal_connect(sink, "new-sample", G_CALLBACK(&SinkRecorder::onSample), this);
    gst_object_unref(sink);
    gst_element_set_state(pipeline_, GST_STATE_PLAYING);
    for (int i = 0; i < 1000; ++i) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (samples_.size() > kRate / 10) {
                return true;
            }
        }
        QThread::msleep(10);
    }
    return false;
}

void SinkRecorder::stop() {
    if (pipeline_ != nullptr) {
        gst_element_set_state(pipeline_, GST_STATE_NULL);
        gst_object_unref(pipeline_);
        pipeline_ = nullptr;
    }
}

GstFlowReturn SinkRecorder::onSample(GstElement* sink, gpointer data) {
    auto* self = static_cast<SinkRecorder*>(data);
    GstSample* sample = gst_app_sink_pull_sample(GST_APP_SINK(sink));
    if (sample == nullptr) {
        return GST_FLOW_ERROR;
    }
    const qint64 arrived = monotonicNs();
    GstBuffer* buffer = gst_sample_get_buffer(sample);
    GstMapInfo map;
    if (gst_buffer_map(buffer, &map, GST_MAP_READ)) {
        // The offset counts the stream's samples: a jump is samples the ring dropped.
        const qint64 offset = GST_BUFFER_OFFSET_IS_VALID(buffer)
                                  ? static_cast<qint64>(GST_BUFFER_OFFSET(buffer))
                                  : -1;
        self->append(offset, reinterpret_cast<const qint16*>(map.data),
                     static_cast<qint64>(map.size / 2), arrived);
        gst_buffer_unmap(buffer, &map);
    }
    gst_sample_unref(sample);
    return GST_FLOW_OK;
}

void SinkRecorder::append(qint64 offset, const qint16* data, qint64 count, qint64 arrivedNs) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (firstOffset_ < 0 && offset >= 0) {
        firstOffset_ = offset;
    }
    const qint64 size = static_cast<qint64>(samples_.size());
    const qint64 at = offset >= 0 ? offset - firstOffset_ : size;
    if (at > size) {
        samples_.insert(samples_.end(), static_cast<size_t>(at - size), kMissing);
        missing_ += at - size;
    }
    const qint64 skip = std::clamp<qint64>(size - at, 0, count);
    const qint64 end = static_cast<qint64>(samples_.size()) + count - skip;
    // How far behind the earliest arrivals this buffer came: beyond what the buffers hold, the
    // server may have dropped samples before the count saw them, so nothing after can be
    // placed.
    const qint64 onTime = arrivedNs - static_cast<qint64>(durationNs(end));
    if (!arrivals_.empty() && onTime - earliestNs_ > kOverrunNs) {
        overrun_ = true;
    }
    earliestNs_ = arrivals_.empty() ? onTime : std::min(earliestNs_, onTime);
    if (overrun_) {
        samples_.insert(samples_.end(), static_cast<size_t>(count - skip), kMissing);
        missing_ += count - skip;
        return;
    }
    for (qint64 i = skip; i < count; ++i) {
        // The marker value is kept for missed samples; a real one a step away is the same sound.
        samples_.push_back(data[i] == kMissing ? static_cast<qint16>(kMissing + 1) : data[i]);
    }
    arrivals_.push_back({end, arrivedNs});
}

qint64 SinkRecorder::timeOfSampleLocked(qint64 index) const {
    if (arrivals_.empty()) {
        return -1;
    }
    // Every arrival bounds the time from above: the samples it brought had been played, and
    // the sink plays them at its rate. The tightest bound of the arrivals nearby is the time.
    auto first = std::lower_bound(arrivals_.begin(), arrivals_.end(), index - kAnchorSamples,
                                  [](const Arrival& a, qint64 i) { return a.index < i; });
    if (first == arrivals_.end()) {
        --first;
    }
    qint64 best = std::numeric_limits<qint64>::max();
    for (auto a = first; a != arrivals_.end() && (a == first || a->index <= index + kAnchorSamples);
         ++a) {
        best = std::min(best, a->ns + static_cast<qint64>(durationNs(index - a->index)));
    }
    return best;
}

qint64 SinkRecorder::sampleIndexAtLocked(qint64 ns) const {
    if (arrivals_.empty()) {
        return 0;
    }
    // Times grow with the index (to within the drift of the sink's clock): a binary search,
    // from a guess at the nominal rate.
    const qint64 guess = (ns - earliestNs_) * kRate / kSecondNs;
    qint64 low = guess - kRate;
    qint64 high = guess + kRate;
    while (timeOfSampleLocked(low) > ns) {
        low -= kRate;
    }
    while (timeOfSampleLocked(high) < ns) {
        high += kRate;
    }
    while (high - low > 1) {
        const qint64 middle = low + (high - low) / 2;
        (timeOfSampleLocked(middle) <= ns ? low : high) = middle;
    }
    return timeOfSampleLocked(high) <= ns ? high : low;
}

qint64 SinkRecorder::startTimeNs() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return timeOfSampleLocked(0);
}

std::vector<qint16> SinkRecorder::samples() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return samples_;
}

qint64 SinkRecorder::sampleIndexAt(qint64 ns) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return sampleIndexAtLocked(ns);
}

qint64 SinkRecorder::timeOfSample(qint64 index) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return timeOfSampleLocked(index);
}

bool SinkRecorder::waitUntilRecorded(qint64 ns) const {
    // The monitor hands samples over some milliseconds after they were played; a busy machine
    // adds to that.
    for (int i = 0; i < 1000; ++i) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (!arrivals_.empty() &&
                timeOfSampleLocked(static_cast<qint64>(samples_.size())) >= ns) {
                return true;
            }
        }
        QThread::msleep(10);
    }
    return false;
}

bool SinkRecorder::heardLocked(qint64 from, qint64 to) const {
    if (from < 0 || to > static_cast<qint64>(samples_.size())) {
        return false;
    }
    return std::find(samples_.begin() + from, samples_.begin() + to, kMissing) ==
           samples_.begin() + to;
}

double SinkRecorder::lostMs() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return durationNs(missing_) / 1e6;
}

double SinkRecorder::lostMs(qint64 fromNs, qint64 toNs) const {
    waitUntilRecorded(toNs);
    std::lock_guard<std::mutex> lock(mutex_);
    const qint64 from = sampleIndexAtLocked(fromNs);
    const qint64 to = sampleIndexAtLocked(toNs);
    const qint64 size = static_cast<qint64>(samples_.size());
    qint64 lost = std::max<qint64>(0, -from) + std::max<qint64>(0, to - std::max(from, size));
    for (qint64 i = std::clamp<qint64>(from, 0, size); i < std::clamp<qint64>(to, 0, size); ++i) {
        lost += samples_[static_cast<size_t>(i)] == kMissing ? 1 : 0;
    }
    return durationNs(lost) / 1e6;
}

double SinkRecorder::silentMs(qint64 fromNs, qint64 toNs) const {
    waitUntilRecorded(toNs);
    std::lock_guard<std::mutex> lock(mutex_);
    const qint64 to = std::min<qint64>(sampleIndexAtLocked(toNs), samples_.size());
    qint64 silent = 0;
    for (qint64 i = std::max<qint64>(0, sampleIndexAtLocked(fromNs)); i + kDropoutWindow <= to;
         i += kDropoutWindow) {
        if (heardLocked(i, i + kDropoutWindow) && ranDryLocked(i, i + kDropoutWindow)) {
            silent += kDropoutWindow;
        }
    }
    return durationNs(silent) / 1e6;
}

bool SinkRecorder::ranDryLocked(qint64 from, qint64 to) const {
    for (qint64 i = from; i + kDropoutWindow <= to; i += kDropoutWindow / 2) {
        if (::levelDb(samples_.data() + i, static_cast<size_t>(kDropoutWindow)) < kDropoutDb) {
            return true;
        }
    }
    return false;
}

double SinkRecorder::levelDb(qint64 fromNs, qint64 toNs, Silence silence) const {
    waitUntilRecorded(toNs);
    std::lock_guard<std::mutex> lock(mutex_);
    const qint64 from = sampleIndexAtLocked(fromNs);
    const qint64 to = sampleIndexAtLocked(toNs);
    // A window the recorder did not hear is no evidence of silence: no level at all.
    if (to <= from || !heardLocked(from, to)) {
        return nan();
    }
    if (silence == Silence::IsSound) {
        return ::levelDb(samples_.data() + from, static_cast<size_t>(to - from));
    }
    const qint64 window = kRate / 200;
    double sum = 0.0;
    qint64 counted = 0;
    for (qint64 i = from; i < to; i += window) {
        const size_t count = static_cast<size_t>(std::min(window, to - i));
        if (ranDryLocked(i, i + static_cast<qint64>(count))) {
            continue;
        }
        for (size_t k = 0; k < count; ++k) {
            sum += static_cast<double>(samples_[static_cast<size_t>(i) + k]) *
                   samples_[static_cast<size_t>(i) + k];
        }
        counted += static_cast<qint64>(count);
    }
    if (counted == 0) {
        return nan();
    }
    const double rms = std::sqrt(sum / static_cast<double>(counted)) / 32768.0;
    return rms > 0.0 ? 20.0 * std::log10(rms) : -200.0;
}

qint64 SinkRecorder::firstSoundNs(qint64 fromNs, double thresholdDb) const {
    waitUntilRecorded(monotonicNs());
    std::lock_guard<std::mutex> lock(mutex_);
    const qint64 window = kRate / 200;
    for (qint64 i = std::max<qint64>(0, sampleIndexAtLocked(fromNs));
         i + window <= static_cast<qint64>(samples_.size()); i += window) {
        if (!heardLocked(i, i + window)) {
            return -1;
        }
        if (::levelDb(samples_.data() + i, static_cast<size_t>(window)) > thresholdDb) {
            return timeOfSampleLocked(i);
        }
    }
    return -1;
}

qint64 SinkRecorder::lastSoundNs(double thresholdDb) const {
    std::lock_guard<std::mutex> lock(mutex_);
    const qint64 window = kRate / 200;
    for (qint64 i = static_cast<qint64>(samples_.size()) - window; i >= 0; i -= window) {
        if (::levelDb(samples_.data() + i, static_cast<size_t>(window)) > thresholdDb) {
            return timeOfSampleLocked(i + window);
        }
    }
    return -1;
}

namespace {

// Level in dB of one frequency in a window of heard samples (Goertzel), scaled like levelDb
// for a pure tone.
double toneDb(const qint16* samples, size_t count, double frequency) {
    const double w = 2.0 * M_PI * frequency / SinkRecorder::kRate;
    const double coefficient = 2.0 * std::cos(w);
    double s1 = 0.0;
    double s2 = 0.0;
    for (size_t i = 0; i < count; ++i) {
        const double s0 = samples[i] / 32768.0 + coefficient * s1 - s2;
        s2 = s1;
        s1 = s0;
    }
    const double power = s1 * s1 + s2 * s2 - coefficient * s1 * s2;
    const double amplitude = 2.0 * std::sqrt(std::max(0.0, power)) / count;
    const double rms = amplitude / std::sqrt(2.0);
    return rms > 0.0 ? 20.0 * std::log10(rms) : -200.0;
}

}  // namespace

qint64 SinkRecorder::firstToneNs(qint64 fromNs, double frequency, double thresholdDb) const {
    waitUntilRecorded(monotonicNs());
    std::lock_guard<std::mutex> lock(mutex_);
    // 400 samples hold whole periods of 441 Hz and 882 Hz, so neither leaks into the other.
    const qint64 window = 400;
    for (qint64 i = std::max<qint64>(0, sampleIndexAtLocked(fromNs));
         i + window <= static_cast<qint64>(samples_.size()); i += window / 4) {
        if (!heardLocked(i, i + window)) {
            return -1;
        }
        if (toneDb(samples_.data() + i, static_cast<size_t>(window), frequency) > thresholdDb) {
            return timeOfSampleLocked(i);
        }
    }
    return -1;
}

double SinkRecorder::toneLevelDb(qint64 fromNs, qint64 toNs, double frequency,
                                 Silence silence) const {
    waitUntilRecorded(toNs);
    std::lock_guard<std::mutex> lock(mutex_);
    const qint64 block = 400;
    const qint64 from = sampleIndexAtLocked(fromNs);
    const qint64 to = sampleIndexAtLocked(toNs);
    if (to - from < block || !heardLocked(from, to)) {
        return nan();
    }
    double power = 0.0;
    int blocks = 0;
    for (qint64 i = from; i + block <= to; i += block) {
        const qint16* samples = samples_.data() + i;
        if (silence == Silence::IsDropout && ranDryLocked(i, i + block)) {
            continue;
        }
        power += std::pow(10.0, toneDb(samples, static_cast<size_t>(block), frequency) / 10.0);
        ++blocks;
    }
    if (blocks == 0) {
        return nan();
    }
    return power > 0.0 ? 10.0 * std::log10(power / blocks) : -200.0;
}
