#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

#include "audio/audio_graph.h"
#include "audio/output_devices.h"

// A short two-note chime made by the program itself, so that a caretaker can hear whether an
// output reaches the amplifier before choosing it. No sound file is needed.
class TestChime : public QObject {
    Q_OBJECT
  public:
    explicit TestChime(OutputDevices& devices = OutputDevices::instance(),
                       QObject* parent = nullptr);
    ~TestChime() override;
    TestChime(const TestChime&) = delete;
    TestChime& operator=(const TestChime&) = delete;

    // Plays the chime on the output (the default one when the name matches none) at the
    // volume, 0-100, replacing a chime still sounding. 0, or a player result code with the
    // media framework's words in `text`.
    qint32 play(const QString& deviceName, int volume, QString& text);
    void stop();
    bool isSounding() const { return graph_.pipeline != nullptr; }
    // Length of the chime.
    static int durationMs();

  signals:
    // The output failed while the chime sounded.
    void failed(const QString& text);

  private:
    void poll();

    OutputDevices& devices_;
    AudioGraph graph_;
    QTimer poll_;
};
