#include "helpers/sink_recorder.h"

#include <gst/app/gstappsink.h>
#include <QThread>
#include <algorithm>
#include <cmath>
#include <limits>

qint64 monotonicNs() {
    return g_get_monotonic_time() * 1000;
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

SinkRecorder::SinkRecorder(const QString& sinkName, Timing timing)
    : sinkName_(sinkName), timing_(timing) {}

SinkRecorder::~SinkRecorder() {
    stop();
}

bool SinkRecorder::start() {
    const QString description =
        QStringLiteral(
            "pulsesrc device=%1.monitor buffer-time=20000 latency-time=5000 %3 ! "
            "audioconvert ! audio/x-raw,format=S16LE,rate=%2,channels=1 ! "
            "appsink name=out sync=false emit-signals=true")
            .arg(sinkName_)
            .arg(kRate)
            .arg(timing_ == Timing::EveryBuffer ? QStringLiteral("slave-method=re-timestamp")
                                                : QString());
    GError* error = nullptr;
    pipeline_ = gst_parse_launch(description.toUtf8().constData(), &error);
    if (error != nullptr) {
        g_error_free(error);
        return false;
    }
    // Buffers are stamped on the monotonic system clock, so a sample's place in time does not
    // depend on the recorder keeping up on a busy machine.
    GstClock* clock = gst_system_clock_obtain();
    gst_pipeline_use_clock(GST_PIPELINE(pipeline_), clock);
    gst_object_unref(clock);
    GstElement* sink = gst_bin_get_by_name(GST_BIN(pipeline_), "out");
    g_signal_connect(sink, "new-sample", G_CALLBACK(&SinkRecorder::onSample), this);
    gst_object_unref(sink);
    gst_element_set_state(pipeline_, GST_STATE_PLAYING);
    for (int i = 0; i < 300; ++i) {
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
    GstBuffer* buffer = gst_sample_get_buffer(sample);
    const guint64 running = gst_segment_to_running_time(gst_sample_get_segment(sample),
                                                        GST_FORMAT_TIME, GST_BUFFER_PTS(buffer));
    const qint64 captured =
        running == GST_CLOCK_TIME_NONE
            ? monotonicNs()
            : static_cast<qint64>(gst_element_get_base_time(self->pipeline_) + running);
    GstMapInfo map;
    if (gst_buffer_map(buffer, &map, GST_MAP_READ)) {
        std::lock_guard<std::mutex> lock(self->mutex_);
        if (self->startNs_ < 0) {
            self->startNs_ = captured;
        }
        if (self->timing_ == Timing::EveryBuffer) {
            self->stamps_.emplace_back(static_cast<qint64>(self->samples_.size()), captured);
        } else {
            // Samples the source dropped (it fell behind) leave a gap that is marked as not
            // heard.
            const qint64 at = self->sampleIndexAt(captured);
            const qint64 gap = at - static_cast<qint64>(self->samples_.size());
            if (gap > kRate / 100) {
                self->samples_.insert(self->samples_.end(), static_cast<size_t>(gap), kMissing);
            }
        }
        const auto* begin = reinterpret_cast<const qint16*>(map.data);
        self->samples_.insert(self->samples_.end(), begin, begin + map.size / 2);
        gst_buffer_unmap(buffer, &map);
    }
    gst_sample_unref(sample);
    return GST_FLOW_OK;
}

qint64 SinkRecorder::startTimeNs() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return startNs_;
}

qint64 SinkRecorder::timeOfSampleNs(qint64 index) const {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<double> bases;
    for (const auto& [first, time] : stamps_) {
        if (std::abs(first - index) <= kRate) {
            bases.push_back(static_cast<double>(time) - static_cast<double>(first) * 1e9 / kRate);
        }
    }
    // The median: a capture that came late on a busy machine does not move it.
    double base = static_cast<double>(startNs_);
    if (!bases.empty()) {
        std::nth_element(bases.begin(), bases.begin() + bases.size() / 2, bases.end());
        base = bases[bases.size() / 2];
    }
    return static_cast<qint64>(base + static_cast<double>(index) * 1e9 / kRate);
}

std::vector<qint16> SinkRecorder::samples() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return samples_;
}

qint64 SinkRecorder::sampleIndexAt(qint64 ns) const {
    return (ns - startNs_) * kRate / 1'000'000'000LL;
}

bool SinkRecorder::waitUntilRecorded(qint64 ns) const {
    // The monitor hands samples over some milliseconds after they were played.
    for (int i = 0; i < 300; ++i) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (startNs_ >= 0 && sampleIndexAt(ns) <= static_cast<qint64>(samples_.size())) {
                return true;
            }
        }
        QThread::msleep(10);
    }
    return false;
}

double SinkRecorder::levelDb(qint64 fromNs, qint64 toNs) const {
    waitUntilRecorded(toNs);
    std::lock_guard<std::mutex> lock(mutex_);
    const qint64 wanted = sampleIndexAt(toNs) - sampleIndexAt(fromNs);
    const qint64 from = std::max<qint64>(0, sampleIndexAt(fromNs));
    const qint64 to = std::min<qint64>(static_cast<qint64>(samples_.size()), sampleIndexAt(toNs));
    const qint64 heard = to <= from ? 0
                                    : std::count_if(samples_.begin() + from, samples_.begin() + to,
                                                    [](qint16 v) { return v != kMissing; });
    // A window the recorder did not hear is no evidence of silence: no level at all, so that
    // every comparison with it fails.
    if (wanted <= 0 || heard * 10 < wanted * 9) {
        return std::numeric_limits<double>::quiet_NaN();
    }
    return ::levelDb(samples_.data() + from, static_cast<size_t>(to - from));
}

qint64 SinkRecorder::firstSoundNs(qint64 fromNs, double thresholdDb) const {
    std::lock_guard<std::mutex> lock(mutex_);
    const qint64 window = kRate / 200;
    for (qint64 i = std::max<qint64>(0, sampleIndexAt(fromNs));
         i + window <= static_cast<qint64>(samples_.size()); i += window) {
        if (::levelDb(samples_.data() + i, static_cast<size_t>(window)) > thresholdDb) {
            return startNs_ + i * 1'000'000'000LL / kRate;
        }
    }
    return -1;
}

qint64 SinkRecorder::lastSoundNs(double thresholdDb) const {
    std::lock_guard<std::mutex> lock(mutex_);
    const qint64 window = kRate / 200;
    for (qint64 i = static_cast<qint64>(samples_.size()) - window; i >= 0; i -= window) {
        if (::levelDb(samples_.data() + i, static_cast<size_t>(window)) > thresholdDb) {
            return startNs_ + (i + window) * 1'000'000'000LL / kRate;
        }
    }
    return -1;
}

namespace {

// Level in dB of one frequency in a window (Goertzel), scaled like levelDb for a pure tone.
double toneDb(const qint16* samples, size_t count, double frequency) {
    const double w = 2.0 * M_PI * frequency / SinkRecorder::kRate;
    const double coefficient = 2.0 * std::cos(w);
    double s1 = 0.0;
    double s2 = 0.0;
    // A window with samples the recorder missed says nothing about the tone.
    if (std::find(samples, samples + count, SinkRecorder::kMissing) != samples + count) {
        return -200.0;
    }
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
    std::lock_guard<std::mutex> lock(mutex_);
    // 400 samples hold whole periods of 441 Hz and 882 Hz, so neither leaks into the other.
    const qint64 window = 400;
    for (qint64 i = std::max<qint64>(0, sampleIndexAt(fromNs));
         i + window <= static_cast<qint64>(samples_.size()); i += window / 4) {
        if (toneDb(samples_.data() + i, static_cast<size_t>(window), frequency) > thresholdDb) {
            return startNs_ + i * 1'000'000'000LL / kRate;
        }
    }
    return -1;
}

double SinkRecorder::toneLevelDb(qint64 fromNs, qint64 toNs, double frequency) const {
    std::lock_guard<std::mutex> lock(mutex_);
    const qint64 block = 400;
    const qint64 from = std::max<qint64>(0, sampleIndexAt(fromNs));
    const qint64 to = std::min<qint64>(static_cast<qint64>(samples_.size()), sampleIndexAt(toNs));
    double power = 0.0;
    int blocks = 0;
    for (qint64 i = from; i + block <= to; i += block, ++blocks) {
        power += std::pow(
            10.0, toneDb(samples_.data() + i, static_cast<size_t>(block), frequency) / 10.0);
    }
    return blocks > 0 && power > 0.0 ? 10.0 * std::log10(power / blocks) : -200.0;
}
