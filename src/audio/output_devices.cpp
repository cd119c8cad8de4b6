#include "audio/output_devices.h"

#include "audio/gst_support.h"
#include "audio/sound_server_devices.h"
#include "core/settings/system_settings.h"

namespace {

constexpr gint64 kSinkBufferMicroseconds = 40'000;
constexpr gint64 kSinkLatencyMicroseconds = 10'000;

GstPtr<GstElement> defaultSink() {
    GstPtr<GstElement> sink = makeOwnedElement("pulsesink");
    return sink ? std::move(sink) : makeOwnedElement("autoaudiosink");
}

}  // namespace

bool isDefaultDeviceName(const QString& name) {
    return name.compare(kDefaultDeviceName, Qt::CaseInsensitive) == 0;
}

QString deviceDisplayName(const QString& deviceName) {
    return isDefaultDeviceName(deviceName) ? kDefaultDeviceDisplay : deviceName;
}

OutputDevices& OutputDevices::instance() {
    static OutputDevices devices;
    return devices;
}

OutputDevices::OutputDevices() {
    if (!initAudioEngine() || !hasElement("pulsesink")) {
        return;
    }
    server_ = std::make_unique<SoundServerDevices>(
        [this](const QString& description) { deviceRemoved(description); });
}

OutputDevices::~OutputDevices() {
    // Stops the connection's thread before the watches it calls go.
    server_.reset();
}

void OutputDevices::deviceRemoved(const QString& name) {
    // Called under the lock, so a player that stops watching is never called afterwards.
    std::lock_guard<std::mutex> lock(mutex_);
    for (const Watch& w : watches_) {
        if (w.name.compare(name, Qt::CaseInsensitive) == 0) {
            w.callback();
        }
    }
}

int OutputDevices::watch(const QString& name, LostCallback callback) {
    std::lock_guard<std::mutex> lock(mutex_);
    const int id = nextId_++;
    watches_.push_back({id, name, std::move(callback)});
    return id;
}

void OutputDevices::unwatch(int id) {
    std::lock_guard<std::mutex> lock(mutex_);
    std::erase_if(watches_, [id](const Watch& w) { return w.id == id; });
}

QStringList OutputDevices::names() {
    QStringList result;
    if (!server_) {
        return result;
    }
    for (const SoundServerDevices::Device& output : server_->outputs()) {
        if (!isDefaultDeviceName(output.description)) {
            result.append(output.description);
        }
    }
    return result;
}

QString OutputDevices::defaultOutputName() {
    if (!server_) {
        return {};
    }
    const QString internal = server_->defaultOutput();
    for (const SoundServerDevices::Device& output : server_->outputs()) {
        if (output.name == internal) {
            return output.description;
        }
    }
    return {};
}

std::vector<InputDevice> OutputDevices::inputs() {
    std::vector<InputDevice> result;
    if (server_) {
        for (const SoundServerDevices::Device& input : server_->inputs()) {
            result.push_back({input.description, input.name, input.monitor});
        }
    }
    return result;
}

QStringList OutputDevices::distinctOutputs(const QStringList& names) {
    const QString systemDefault = defaultOutputName();
    QStringList outputs;
    for (const QString& name : names) {
        const QString output =
            isDefaultDeviceName(name) && !systemDefault.isEmpty() ? systemDefault : name;
        if (!outputs.contains(output, Qt::CaseInsensitive)) {
            outputs.append(output);
        }
    }
    return outputs;
}

GstPtr<GstElement> OutputDevices::findRenderer(const QString& name, QString* deviceId) {
    if (name.compare(kNullRendererName, Qt::CaseInsensitive) == 0) {
        GstPtr<GstElement> sink = makeOwnedElement("fakesink");
        if (sink) {
            // Keeps real-time pace, so silent playback still takes the file's length.
            g_object_set(sink.get(), "sync", TRUE, nullptr);
        }
        return sink;
    }
    if (!server_) {
        return isDefaultDeviceName(name) ? defaultSink() : nullptr;
    }
    const std::vector<SoundServerDevices::Device> outputs = server_->outputs();
    if (isDefaultDeviceName(name)) {
        // The system's default output, as long as there is any output at all.
        return outputs.empty() ? nullptr : defaultSink();
    }
    for (const SoundServerDevices::Device& output : outputs) {
        if (output.description.compare(name, Qt::CaseInsensitive) != 0) {
            continue;
        }
        GstPtr<GstElement> sink = makeOwnedElement("pulsesink");
        if (sink) {
            g_object_set(sink.get(), "device", output.name.toUtf8().constData(), nullptr);
            if (deviceId != nullptr) {
                *deviceId = output.name;
            }
        }
        return sink;
    }
    return nullptr;
}

GstPtr<GstElement> findRendererOrDefault(OutputDevices& devices, const QString& name,
                                         QString* deviceId) {
    GstPtr<GstElement> sink = devices.findRenderer(name, deviceId);
    if (!sink && !isDefaultDeviceName(name)) {
        if (deviceId != nullptr) {
            deviceId->clear();
        }
        sink = devices.findRenderer(kDefaultDeviceName);
    }
    return sink;
}

void configureOutputSink(GstElement* sink) {
    GObjectClass* type = G_OBJECT_GET_CLASS(sink);
    if (g_object_class_find_property(type, "buffer-time") != nullptr) {
        g_object_set(sink, "buffer-time", kSinkBufferMicroseconds, "latency-time",
                     kSinkLatencyMicroseconds, nullptr);
    }
    if (g_object_class_find_property(type, "client-name") != nullptr) {
        g_object_set(sink, "client-name", "澜川校园定时广播系统", nullptr);
    }
}

QStringList listOutputDevices() {
    return OutputDevices::instance().names();
}

GstPtr<GstElement> findRenderer(const QString& name, QString* deviceId) {
    return OutputDevices::instance().findRenderer(name, deviceId);
}
