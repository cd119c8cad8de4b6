#include "audio/gst_support.h"

#include <mutex>

bool initAudioEngine() {
    static std::once_flag once;
    static bool ready = false;
    std::call_once(once, [] {
        GError* error = nullptr;
        ready = gst_init_check(nullptr, nullptr, &error) != FALSE;
        if (error != nullptr) {
            g_error_free(error);
        }
    });
    return ready;
}

bool hasElement(const char* factoryName) {
    if (!initAudioEngine()) {
        return false;
    }
    GstPluginFeature* feature = gst_registry_lookup_feature(gst_registry_get(), factoryName);
    if (feature == nullptr) {
        return false;
    }
    gst_object_unref(feature);
    return true;
}

GstElement* makeElement(const char* factoryName, const char* name) {
    return gst_element_factory_make(factoryName, name);
}

QString errorMessageText(GError* error) {
    return error != nullptr ? QString::fromUtf8(error->message) : QString();
}
