#pragma once

#include <gst/gst.h>
#include <QString>
#include <memory>

// Initialises GStreamer once; false when the media framework cannot start.
bool initAudioEngine();

bool hasElement(const char* factoryName);
GstElement* makeElement(const char* factoryName, const char* name = nullptr);

struct GstObjectUnref {
    void operator()(gpointer object) const {
        if (object != nullptr) {
            gst_object_unref(object);
        }
    }
};
template <typename T>
using GstPtr = std::unique_ptr<T, GstObjectUnref>;

QString errorMessageText(GError* error);
