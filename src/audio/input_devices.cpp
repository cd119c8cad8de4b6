#include "audio/input_devices.h"

#include <algorithm>

#include "audio/gst_support.h"

namespace {

bool isMonitor(GstDevice* device) {
    g_autoptr(GstStructure) properties = gst_device_get_properties(device);
    bool monitor = false;
    if (properties != nullptr) {
        const gchar* kind = gst_structure_get_string(properties, "device.class");
        monitor = kind != nullptr && g_strcmp0(kind, "monitor") == 0;
    }
    return monitor;
}

QString sourceIdOf(GstDevice* device) {
    g_autoptr(GstElement) element = gst_device_create_element(device, nullptr);
    QString id;
    if (element == nullptr) {
        return id;
    }
    gst_object_ref_sink(element);
    if (g_object_class_find_property(G_OBJECT_GET_CLASS(element), "device") != nullptr) {
        g_autofree gchar* name = nullptr;
        g_object_get(element, "device", &name, nullptr);
        id = QString::fromUtf8(name);
    }
    return id;
}

}  // namespace

std::vector<InputDevice> listInputDevices() {
    std::vector<InputDevice> inputs;
    if (!initAudioEngine()) {
        return inputs;
    }
    g_autoptr(GstDeviceMonitor) monitor = gst_device_monitor_new();
    gst_device_monitor_add_filter(monitor, "Audio/Source", nullptr);
    // Not started: one probe of what is there now.
    g_autolist(GstDevice) devices = gst_device_monitor_get_devices(monitor);
    for (GList* item = devices; item != nullptr; item = item->next) {
        GstDevice* device = GST_DEVICE(item->data);
        g_autofree gchar* name = gst_device_get_display_name(device);
        inputs.push_back({QString::fromUtf8(name), sourceIdOf(device), isMonitor(device)});
    }
    std::stable_partition(inputs.begin(), inputs.end(),
                          [](const InputDevice& input) { return !input.monitor; });
    return inputs;
}
