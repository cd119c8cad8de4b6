#pragma once

#include <gst/gst.h>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "audio/gst_support.h"
#include "audio/input_devices.h"

class SoundServerDevices;

// The stored device names: the system's default output and the silent output.
inline const QString kNullRendererName = QStringLiteral("NullRenderer");
inline const QString kDefaultDeviceDisplay = QStringLiteral("默认的音频输出设备");

// The audio outputs of the machine, followed on the sound server for the whole run so that
// opening a player never waits for a fresh scan and an unplugged device is noticed at once.
class OutputDevices {
  public:
    // The program's one connection.
    static OutputDevices& instance();
    // A connection of its own, for a sound server chosen through the environment.
    OutputDevices();
    ~OutputDevices();
    OutputDevices(const OutputDevices&) = delete;
    OutputDevices& operator=(const OutputDevices&) = delete;

    // Display names of the selectable outputs, in enumeration order, without the default.
    QStringList names();
    // The sound inputs, followed over the same connection to the sound server.
    std::vector<InputDevice> inputs();
    // The display name of the output the system's default is now, or empty when unknown.
    QString defaultOutputName();
    // The outputs the names stand for, each once: the default name gives way to a named output
    // that is the system's default now.
    QStringList distinctOutputs(const QStringList& names);
    // A sink for the stored name, or none when no output matches (the caller falls back to
    // the default). `deviceId` receives the output's own name when it is a named one.
    GstPtr<GstElement> findRenderer(const QString& name, QString* deviceId = nullptr);

    // Called (on the connection's thread) when the named output disappears, until unwatched.
    using LostCallback = std::function<void()>;
    int watch(const QString& name, LostCallback callback);
    void unwatch(int id);

  private:
    void deviceRemoved(const QString& name);

    std::unique_ptr<SoundServerDevices> server_;
    std::mutex mutex_;
    struct Watch {
        int id;
        QString name;
        LostCallback callback;
    };
    std::vector<Watch> watches_;
    int nextId_ = 1;
};

// The output for a stored name; when no output matches, the system's default output.
GstPtr<GstElement> findRendererOrDefault(OutputDevices& devices, const QString& name,
                                         QString* deviceId = nullptr);

// A sound-server sink's ring buffer: short enough that a fade step is heard within tens of
// milliseconds, long enough not to underrun on a busy school PC; the program's name on it.
void configureOutputSink(GstElement* sink);

QStringList listOutputDevices();
GstPtr<GstElement> findRenderer(const QString& name, QString* deviceId = nullptr);
// "默认的音频输出设备" for the default name, the stored name itself otherwise.
QString deviceDisplayName(const QString& deviceName);
bool isDefaultDeviceName(const QString& name);
