#include "audio/output_devices.h"

#include "audio/gst_support.h"
#include "core/settings/system_settings.h"

namespace {

QString displayNameOf(GstDevice* device) {
    g_autofree gchar* name = gst_device_get_display_name(device);
    return QString::fromUtf8(name);
}

constexpr gint64 kSinkBufferMicroseconds = 40'000;
constexpr gint64 kSinkLatencyMicroseconds = 10'000;

bool isSystemDefault(GstDevice* device) {
    g_autoptr(GstStructure) properties = gst_device_get_properties(device);
    gboolean isDefault = FALSE;
    if (properties != nullptr) {
        gst_structure_get_boolean(properties, "is-default", &isDefault);
    }
    return isDefault != FALSE;
}

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
    if (!initAudioEngine()) {
        return;
    }
    monitor_.reset(gst_device_monitor_new());
    gst_device_monitor_add_filter(monitor_.get(), "Audio/Sink", nullptr);
    g_autoptr(GstBus) bus = gst_device_monitor_get_bus(monitor_.get());
    gst_bus_set_sync_handler(bus, &OutputDevices::onBusMessage, this, nullptr);
    gst_device_monitor_start(monitor_.get());
}

OutputDevices::~OutputDevices() {
    if (monitor_) {
        gst_device_monitor_stop(monitor_.get());
        g_autoptr(GstBus) bus = gst_device_monitor_get_bus(monitor_.get());
        gst_bus_set_sync_handler(bus, nullptr, nullptr, nullptr);
    }
}

GstBusSyncReply OutputDevices::onBusMessage(GstBus*, GstMessage* dropped, gpointer self) {
    // Nothing reads the monitor's bus; letting messages pile up there would only grow. A
    // handler that drops a message owns it.
    g_autoptr(GstMessage) message = dropped;
    if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_DEVICE_REMOVED) {
        g_autoptr(GstDevice) device = nullptr;
        gst_message_parse_device_removed(message, &device);
        if (device != nullptr) {
            static_cast<OutputDevices*>(self)->deviceRemoved(device);
        }
    }
    return GST_BUS_DROP;
}

void OutputDevices::deviceRemoved(GstDevice* device) {
    const QString name = displayNameOf(device);
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
    if (!monitor_) {
        return result;
    }
    g_autolist(GstDevice) devices = gst_device_monitor_get_devices(monitor_.get());
    for (GList* item = devices; item != nullptr; item = item->next) {
        const QString name = displayNameOf(GST_DEVICE(item->data));
        if (!isDefaultDeviceName(name)) {
            result.append(name);
        }
    }
    return result;
}

QString OutputDevices::defaultOutputName() {
    QString name;
    if (monitor_ == nullptr) {
        return name;
    }
    g_autolist(GstDevice) devices = gst_device_monitor_get_devices(monitor_.get());
    for (GList* item = devices; item != nullptr && name.isEmpty(); item = item->next) {
        if (isSystemDefault(GST_DEVICE(item->data))) {
            name = displayNameOf(GST_DEVICE(item->data));
        }
    }
    return name;
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
    if (!monitor_) {
        return isDefaultDeviceName(name) ? defaultSink() : nullptr;
    }
    g_autolist(GstDevice) devices = gst_device_monitor_get_devices(monitor_.get());
    GstPtr<GstElement> sink;
    if (isDefaultDeviceName(name)) {
        // The system's default output, as long as there is any output at all.
        if (devices != nullptr) {
            sink = defaultSink();
        }
    } else {
        for (GList* item = devices; item != nullptr && !sink; item = item->next) {
            GstDevice* device = GST_DEVICE(item->data);
            if (displayNameOf(device).compare(name, Qt::CaseInsensitive) != 0) {
                continue;
            }
            GstElement* made = gst_device_create_element(device, nullptr);
            sink.reset(made != nullptr ? GST_ELEMENT(gst_object_ref_sink(made)) : nullptr);
            if (sink && deviceId != nullptr &&
                g_object_class_find_property(G_OBJECT_GET_CLASS(sink.get()), "device") != nullptr) {
                g_autofree gchar* id = nullptr;
                g_object_get(sink.get(), "device", &id, nullptr);
                *deviceId = QString::fromUtf8(id);
            }
        }
    }
    return sink;
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
