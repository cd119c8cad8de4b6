#include "audio/gst_support.h"

#include <mutex>

bool initAudioEngine() {
    static std::once_flag once;
    static bool ready = false;
    std::call_once(once, [] {
        g_autoptr(GError) error = nullptr;
        ready = gst_init_check(nullptr, nullptr, &error) != FALSE;
    });
    return ready;
}

bool hasElement(const char* factoryName) {
    if (!initAudioEngine()) {
        return false;
    }
    g_autoptr(GstPluginFeature) feature =
        gst_registry_lookup_feature(gst_registry_get(), factoryName);
    return feature != nullptr;
}

GstElement* makeElement(const char* factoryName, const char* name) {
    return gst_element_factory_make(factoryName, name);
}

GstPtr<GstElement> makeOwnedElement(const char* factoryName, const char* name) {
    GstElement* element = makeElement(factoryName, name);
    return GstPtr<GstElement>(element != nullptr ? GST_ELEMENT(gst_object_ref_sink(element))
                                                 : nullptr);
}

QString errorMessageText(GError* error) {
    return error != nullptr ? QString::fromUtf8(error->message) : QString();
}
