#include "audio/alarm_sound.h"

#include <QElapsedTimer>
#include <algorithm>
#include <cmath>
#include <numbers>

#include "audio/audio_graph.h"
#include "audio/gst_support.h"
#include "audio/music_file.h"
#include "core/support/log_categories.h"

namespace {

// A minute is far longer than any alarm needs, and bounds the memory a strange file can take.
constexpr qsizetype kMaxAlarmSamples = qsizetype{60} * AlarmSound::kRate * AlarmSound::kChannels;
constexpr qint64 kDecodeTimeoutMs = 5000;
constexpr GstClockTime kPullWait = 100 * GST_MSECOND;

// Hi-lo, half a second each, as fire alarms sound; peaks at -1 dBFS.
constexpr double kSirenTones[] = {960.0, 770.0};
constexpr double kToneSeconds = 0.5;
constexpr double kSirenPeak = 0.891;

bool decodeAlarmFile(const QString& path, std::vector<qint16>& samples) {
    MusicFile file;
    QString text;
    if (file.open(path, text) != 0) {
        return false;
    }
    GstPtr<GstElement> owned = makeOwnedElement("appsink");
    if (!owned) {
        return false;
    }
    GstElement* sink = owned.get();
    g_autoptr(GstCaps) caps =
        gst_caps_new_simple("audio/x-raw", "format", G_TYPE_STRING, "S16LE", "rate", G_TYPE_INT,
                            AlarmSound::kRate, "channels", G_TYPE_INT, AlarmSound::kChannels,
                            "layout", G_TYPE_STRING, "interleaved", nullptr);
    g_object_set(sink, "caps", caps, "sync", FALSE, "max-buffers", 16u, nullptr);
    AudioGraph graph;
    if (!buildAudioGraph(GraphShape::Decoder, file, std::move(owned), graph)) {
        return false;
    }
    // The graph starts silent, as a player does before its fade-in.
    g_object_set(graph.volume, "volume", 1.0, nullptr);
    gst_element_set_state(graph.pipeline.get(), GST_STATE_PLAYING);
    g_autoptr(GstBus) bus = gst_element_get_bus(graph.pipeline.get());
    QElapsedTimer waited;
    waited.start();
    bool ended = false;
    bool failed = false;
    while (!ended && !failed && waited.elapsed() < kDecodeTimeoutMs &&
           static_cast<qsizetype>(samples.size()) < kMaxAlarmSamples) {
        g_autoptr(GstSample) sample = nullptr;
        // Action signals keep the program free of the app library.
        g_signal_emit_by_name(graph.sink, "try-pull-sample", kPullWait, &sample);
        if (sample != nullptr) {
            GstBuffer* buffer = gst_sample_get_buffer(sample);
            GstMapInfo map;
            if (buffer != nullptr && gst_buffer_map(buffer, &map, GST_MAP_READ)) {
                const auto* data = reinterpret_cast<const qint16*>(map.data);
                samples.insert(samples.end(), data, data + map.size / sizeof(qint16));
                gst_buffer_unmap(buffer, &map);
            }
            continue;
        }
        gboolean eos = FALSE;
        g_object_get(graph.sink, "eos", &eos, nullptr);
        ended = eos != FALSE;
        g_autoptr(GstMessage) error = gst_bus_pop_filtered(bus, GST_MESSAGE_ERROR);
        if (error != nullptr) {
            failed = true;
        }
    }
    destroyAudioGraph(graph);
    samples.resize(std::min<size_t>(samples.size(), kMaxAlarmSamples) / AlarmSound::kChannels *
                   AlarmSound::kChannels);
    // A file that is only silence would sound no alarm at all.
    const bool audible = std::any_of(samples.begin(), samples.end(),
                                     [](qint16 v) { return std::abs(static_cast<int>(v)) > 300; });
    return !failed && audible;
}

}  // namespace

AlarmSound builtInSiren() {
    const int toneFrames = static_cast<int>(kToneSeconds * AlarmSound::kRate);
    const int fadeFrames = AlarmSound::kRate / 200;  // 5 ms, so the changes do not click
    std::vector<double> wave;
    for (const double frequency : kSirenTones) {
        for (int i = 0; i < toneFrames; ++i) {
            const double t = static_cast<double>(i) / AlarmSound::kRate;
            const double edge = std::min({1.0, static_cast<double>(i) / fadeFrames,
                                          static_cast<double>(toneFrames - i) / fadeFrames});
            // A third harmonic makes it cut through noise as a sine alone does not.
            wave.push_back(edge * (0.8 * std::sin(2.0 * std::numbers::pi * frequency * t) +
                                   0.2 * std::sin(6.0 * std::numbers::pi * frequency * t)));
        }
    }
    double peak = 0.0;
    for (const double v : wave) {
        peak = std::max(peak, std::abs(v));
    }
    auto samples = std::make_shared<std::vector<qint16>>();
    samples->reserve(wave.size() * AlarmSound::kChannels);
    for (const double v : wave) {
        const auto value = static_cast<qint16>(std::lround(v / peak * kSirenPeak * 32767.0));
        samples->insert(samples->end(), AlarmSound::kChannels, value);
    }
    return {std::move(samples), QString()};
}

AlarmSound loadAlarmSound(const QStringList& files) {
    if (initAudioEngine()) {
        for (const QString& path : files) {
            auto samples = std::make_shared<std::vector<qint16>>();
            if (decodeAlarmFile(path, *samples)) {
                return {std::move(samples), path};
            }
            qCWarning(lcAudio) << "alarm file not playable:" << path;
        }
    }
    return builtInSiren();
}
