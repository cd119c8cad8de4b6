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

// An element made and held by us (its floating reference sunk): a bin it is added to takes
// a reference of its own, so the holder may always let go of it.
GstPtr<GstElement> makeOwnedElement(const char* factoryName, const char* name = nullptr);

// A pipeline is taken down to NULL before it is let go: one disposed of while running warns
// and may leave its streaming threads behind.
struct PipelineStop {
    void operator()(GstElement* pipeline) const {
        if (pipeline != nullptr) {
            gst_element_set_state(pipeline, GST_STATE_NULL);
            gst_object_unref(pipeline);
        }
    }
};
using PipelinePtr = std::unique_ptr<GstElement, PipelineStop>;

QString errorMessageText(GError* error);
