#pragma once

#include <gst/gst.h>
#include <QObject>
#include <QStringList>
#include <QTimer>
#include <memory>
#include <optional>
#include <vector>

#include "audio/output_devices.h"
#include "audio/test_chime.h"
#include "core/playback/live_outputs.h"

// The live announcement on GStreamer: the input (a microphone) taken with small buffers,
//   pulsesrc ! audioconvert ! audioresample ! level ! volume ! tee ! queue ! sink (each output)
// so that the voice is heard within tens of milliseconds. The chime sounds first, while the
// input is already open but not yet heard. Without outputs the input only feeds the level
// meter. Everything here runs on its owner's thread; every wait is bounded.
class LiveRoute : public QObject, public LiveOutput {
    Q_OBJECT
  public:
    explicit LiveRoute(OutputDevices& devices = OutputDevices::instance(),
                       QObject* parent = nullptr);
    ~LiveRoute() override;
    LiveRoute(const LiveRoute&) = delete;
    LiveRoute& operator=(const LiveRoute&) = delete;

    // Opens the input for the level meter only; nothing is heard. An empty input closes it.
    bool listen(const QString& input, QString& message);
    bool startLive(const QString& input, const QStringList& devices, QString& message) override;
    void stopLive() override;
    // Heard now: the chime is over and the input reaches the outputs.
    bool isLive() const { return live_; }
    // The outputs it reaches (by stored name).
    const QStringList& outputs() const { return outputs_; }

  signals:
    // The input's peak level in dB, 20 times a second while it is open.
    void levelChanged(double peakDb);
    // The input or the last output failed; the route has closed.
    void failed(const QString& text);

  private:
    bool open(const QString& input, const QStringList& outputs, QString& message);
    void close();
    void poll();
    void openUp();

    OutputDevices& devices_;
    GstElement* pipeline_ = nullptr;
    GstElement* source_ = nullptr;
    GstElement* volume_ = nullptr;
    struct LiveSink {
        GstElement* element;
        QString output;    // stored name
        QString deviceId;  // the output's own name, to notice the server moving the stream
    };
    std::vector<LiveSink> sinks_;
    QString input_;
    QStringList outputs_;
    std::vector<std::unique_ptr<TestChime>> chimes_;
    QTimer poll_;
    QTimer chimeEnd_;
    bool live_ = false;
};
