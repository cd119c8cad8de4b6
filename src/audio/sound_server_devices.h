#pragma once

#include <pulse/context.h>
#include <pulse/introspect.h>
#include <pulse/thread-mainloop.h>
#include <QString>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <vector>

// The sound server's outputs and inputs, followed over one connection for the whole run, so
// that opening a player reads them from memory and never waits on the server. The connection
// is made again a few seconds after the server went away. It hears of outputs, inputs and
// the server only, never of streams, and lets go of every request's handle at once: the
// media framework's device watcher keeps one request per stream event on the server (most of
// a kilobyte per play) and its one-off listing keeps a whole connection (about 20 kB).
class SoundServerDevices {
  public:
    struct Device {
        QString name;          // the server's own name
        QString description;   // what the user sees
        bool monitor = false;  // an input that is what an output plays
    };
    // Called on the connection's thread, with nothing locked, when an output disappears.
    using RemovedCallback = std::function<void(const QString& description)>;

    explicit SoundServerDevices(RemovedCallback removed);
    ~SoundServerDevices();
    SoundServerDevices(const SoundServerDevices&) = delete;
    SoundServerDevices& operator=(const SoundServerDevices&) = delete;

    // In the server's order; empty while no server answers.
    std::vector<Device> outputs() const;
    std::vector<Device> inputs() const;
    // The server's name of its default output, or empty.
    QString defaultOutput() const;

  private:
    static void onState(pa_context* context, void* self);
    static void onEvent(pa_context* context, pa_subscription_event_type_t type, uint32_t index,
                        void* self);
    static void onSink(pa_context* context, const pa_sink_info* info, int eol, void* self);
    static void onSource(pa_context* context, const pa_source_info* info, int eol, void* self);
    static void onServer(pa_context* context, const pa_server_info* info, void* self);
    static void onRetry(pa_mainloop_api* api, pa_time_event* event, const struct timeval* tv,
                        void* self);
    // On the connection's thread, or with its lock held.
    void connect();
    void retryLater(pa_context* context);
    void dropConnection();
    void firstListingDone();

    RemovedCallback removed_;
    pa_threaded_mainloop* loop_ = nullptr;
    pa_context* context_ = nullptr;
    pa_time_event* retry_ = nullptr;

    mutable std::mutex mutex_;
    std::condition_variable listed_;
    bool firstListing_ = false;
    std::map<uint32_t, Device> outputs_;
    std::map<uint32_t, Device> inputs_;
    QString default_;
};
