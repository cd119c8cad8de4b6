#pragma once

#include <atomic>
#include <mutex>

#include "audio/audio_graph.h"
#include "audio/music_file.h"
#include "audio/output_devices.h"
#include "core/playback/media_player.h"

// A MediaPlayer on a hand-built GStreamer pipeline. The pipeline prerolls in open(), so
// duration and position are known at once. Errors and the end of the stream arrive on
// streaming threads and are handed to the player's own thread, where they are emitted unless
// the player was closed meanwhile.
class AudioPlayer : public MediaPlayer {
  public:
    explicit AudioPlayer(OutputDevices& devices = OutputDevices::instance()) : devices_(devices) {}
    ~AudioPlayer() override;
    AudioPlayer(const AudioPlayer&) = delete;
    AudioPlayer& operator=(const AudioPlayer&) = delete;

    qint32 open(const QString& path, const QString& deviceName) override;
    qint32 run() override;
    qint32 stop() override;
    void close() override;
    qint32 setVolume(int attenuation) override;
    qint64 getDurationMs() override;
    qint64 getPositionMs() override;
    void seekMs(qint64 milliseconds) override;
    bool isAtEnd() override;
    QString path() const override { return path_; }
    QString lastErrorText() const override { return lastError_; }
    bool runAt(const LocalDateTime& at, const std::vector<int>& steps, int stepMs) override;
    bool startsAt(const LocalDateTime& at) const override;

    bool isOpened() const { return opened_; }

  protected:
    GstElement* pipeline() const { return graph_.pipeline.get(); }

  private:
    struct Attempt {
        qint32 code = 0;
        QString text;
    };
    Attempt tryOpen(GraphShape shape, const QString& deviceName);
    static GstBusSyncReply onBusMessage(GstBus* bus, GstMessage* message, gpointer self);
    // From any thread: hands the event to the player's thread.
    void queueEvent(const PlayerEvent& event);
    void deliver(const PlayerEvent& event);
    void outputLost();
    void checkOutputMoved();

    OutputDevices& devices_;
    QString path_;
    MusicFile file_;  // the file the graph reads, open as long as the graph
    AudioGraph graph_;
    bool opened_ = false;
    gulong hold_ = 0;  // the first data waits ahead of the volume until run()
    QString lastError_;
    QString deviceId_;  // the output's own name when opened on a named output
    int watchId_ = 0;
    qint64 probedDurationMs_ = -1;
    qint64 countedDurationMs_ = -1;  // MPEG audio, from its frames
    // Run by runAt: when it is heard first, by the wall clock and the monotonic one, and
    // whether the volume still follows the timed fade.
    qint64 startsAtMs_ = 0;
    GstClockTime startsAtNs_ = GST_CLOCK_TIME_NONE;
    bool timedFade_ = false;

    std::mutex mutex_;        // guards accepting_
    bool accepting_ = false;  // events are handed on only between open and close
    std::atomic<bool> atEnd_{false};
    std::atomic<bool> lost_{false};
};
