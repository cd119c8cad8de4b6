#include "audio/sound_server_devices.h"

#include <pulse/operation.h>
#include <pulse/rtclock.h>
#include <pulse/subscribe.h>

#include <chrono>

namespace {

// Long enough for a server that is being restarted, short enough that the devices are back
// before anyone looks.
constexpr pa_usec_t kRetryMicroseconds = 2'000'000;
// The first listing is awaited this long at most; a server that takes longer is followed
// once it answers.
constexpr auto kFirstListingWait = std::chrono::seconds(3);

void letGo(pa_operation* operation) {
    if (operation != nullptr) {
        pa_operation_unref(operation);
    }
}

std::vector<SoundServerDevices::Device> inOrder(
    const std::map<uint32_t, SoundServerDevices::Device>& devices) {
    std::vector<SoundServerDevices::Device> result;
    result.reserve(devices.size());
    for (const auto& [index, device] : devices) {
        result.push_back(device);
    }
    return result;
}

}  // namespace

SoundServerDevices::SoundServerDevices(RemovedCallback removed) : removed_(std::move(removed)) {
    loop_ = pa_threaded_mainloop_new();
    if (loop_ == nullptr) {
        return;
    }
    pa_threaded_mainloop_lock(loop_);
    connect();
    pa_threaded_mainloop_unlock(loop_);
    if (pa_threaded_mainloop_start(loop_) < 0) {
        dropConnection();
        pa_threaded_mainloop_free(loop_);
        loop_ = nullptr;
        return;
    }
    std::unique_lock<std::mutex> lock(mutex_);
    listed_.wait_for(lock, kFirstListingWait, [this] { return firstListing_; });
}

SoundServerDevices::~SoundServerDevices() {
    if (loop_ == nullptr) {
        return;
    }
    pa_threaded_mainloop_stop(loop_);
    dropConnection();
    pa_threaded_mainloop_free(loop_);
}

std::vector<SoundServerDevices::Device> SoundServerDevices::outputs() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return inOrder(outputs_);
}

std::vector<SoundServerDevices::Device> SoundServerDevices::inputs() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return inOrder(inputs_);
}

QString SoundServerDevices::defaultOutput() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return default_;
}

void SoundServerDevices::connect() {
    context_ = pa_context_new(pa_threaded_mainloop_get_api(loop_), "澜川校园定时广播系统");
    if (context_ == nullptr) {
        firstListingDone();
        return;
    }
    pa_context_set_state_callback(context_, &SoundServerDevices::onState, this);
    pa_context_set_subscribe_callback(context_, &SoundServerDevices::onEvent, this);
    // Never starts a server of its own: the one the desktop runs is followed when it comes.
    if (pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
        retryLater(context_);
        firstListingDone();
    }
}

void SoundServerDevices::retryLater(pa_context* context) {
    // The failed connection's timer makes the next one, on the monotonic clock.
    if (retry_ == nullptr) {
        retry_ = pa_context_rttime_new(context, pa_rtclock_now() + kRetryMicroseconds,
                                       &SoundServerDevices::onRetry, this);
    }
}

void SoundServerDevices::dropConnection() {
    if (retry_ != nullptr) {
        pa_threaded_mainloop_get_api(loop_)->time_free(retry_);
        retry_ = nullptr;
    }
    if (context_ != nullptr) {
        pa_context_set_state_callback(context_, nullptr, nullptr);
        pa_context_set_subscribe_callback(context_, nullptr, nullptr);
        pa_context_disconnect(context_);
        pa_context_unref(context_);
        context_ = nullptr;
    }
}

void SoundServerDevices::firstListingDone() {
    std::lock_guard<std::mutex> lock(mutex_);
    firstListing_ = true;
    listed_.notify_all();
}

void SoundServerDevices::onState(pa_context* context, void* data) {
    auto* self = static_cast<SoundServerDevices*>(data);
    switch (pa_context_get_state(context)) {
        case PA_CONTEXT_READY: {
            const auto mask = static_cast<pa_subscription_mask_t>(PA_SUBSCRIPTION_MASK_SINK |
                                                                  PA_SUBSCRIPTION_MASK_SOURCE |
                                                                  PA_SUBSCRIPTION_MASK_SERVER);
            letGo(pa_context_subscribe(context, mask, nullptr, nullptr));
            // Answered in order: the default and the inputs are known when the outputs end.
            letGo(pa_context_get_server_info(context, &SoundServerDevices::onServer, self));
            letGo(pa_context_get_source_info_list(context, &SoundServerDevices::onSource, self));
            letGo(pa_context_get_sink_info_list(context, &SoundServerDevices::onSink, self));
            break;
        }
        case PA_CONTEXT_FAILED:
        case PA_CONTEXT_TERMINATED: {
            {
                std::lock_guard<std::mutex> lock(self->mutex_);
                self->outputs_.clear();
                self->inputs_.clear();
                self->default_.clear();
            }
            self->retryLater(context);
            self->firstListingDone();
            break;
        }
        default:
            break;
    }
}

void SoundServerDevices::onRetry(pa_mainloop_api*, pa_time_event*, const struct timeval*,
                                 void* data) {
    auto* self = static_cast<SoundServerDevices*>(data);
    self->dropConnection();
    self->connect();
}

void SoundServerDevices::onEvent(pa_context* context, pa_subscription_event_type_t type,
                                 uint32_t index, void* data) {
    auto* self = static_cast<SoundServerDevices*>(data);
    const int facility = type & PA_SUBSCRIPTION_EVENT_FACILITY_MASK;
    const bool removed = (type & PA_SUBSCRIPTION_EVENT_TYPE_MASK) == PA_SUBSCRIPTION_EVENT_REMOVE;
    if (facility == PA_SUBSCRIPTION_EVENT_SERVER) {
        letGo(pa_context_get_server_info(context, &SoundServerDevices::onServer, self));
    } else if (facility == PA_SUBSCRIPTION_EVENT_SOURCE && removed) {
        std::lock_guard<std::mutex> lock(self->mutex_);
        self->inputs_.erase(index);
    } else if (facility == PA_SUBSCRIPTION_EVENT_SOURCE) {
        letGo(pa_context_get_source_info_by_index(context, index, &SoundServerDevices::onSource,
                                                  self));
    } else if (facility == PA_SUBSCRIPTION_EVENT_SINK && !removed) {
        letGo(pa_context_get_sink_info_by_index(context, index, &SoundServerDevices::onSink, self));
    } else if (facility == PA_SUBSCRIPTION_EVENT_SINK) {
        QString description;
        {
            std::lock_guard<std::mutex> lock(self->mutex_);
            const auto found = self->outputs_.find(index);
            if (found == self->outputs_.end()) {
                return;
            }
            description = found->second.description;
            self->outputs_.erase(found);
        }
        if (self->removed_) {
            self->removed_(description);
        }
    }
}

// The end of any answer about outputs marks the first listing done: the first such answer is
// the listing, and marking it again changes nothing.
void SoundServerDevices::onSink(pa_context*, const pa_sink_info* info, int eol, void* data) {
    auto* self = static_cast<SoundServerDevices*>(data);
    if (eol != 0 || info == nullptr) {
        self->firstListingDone();
        return;  // the end of the answer, or an output gone before it was asked about
    }
    std::lock_guard<std::mutex> lock(self->mutex_);
    self->outputs_[info->index] = {QString::fromUtf8(info->name),
                                   QString::fromUtf8(info->description), false};
}

void SoundServerDevices::onSource(pa_context*, const pa_source_info* info, int eol, void* data) {
    if (eol != 0 || info == nullptr) {
        return;
    }
    auto* self = static_cast<SoundServerDevices*>(data);
    std::lock_guard<std::mutex> lock(self->mutex_);
    self->inputs_[info->index] = {QString::fromUtf8(info->name),
                                  QString::fromUtf8(info->description),
                                  info->monitor_of_sink != PA_INVALID_INDEX};
}

void SoundServerDevices::onServer(pa_context*, const pa_server_info* info, void* data) {
    if (info == nullptr) {
        return;
    }
    auto* self = static_cast<SoundServerDevices*>(data);
    std::lock_guard<std::mutex> lock(self->mutex_);
    self->default_ = QString::fromUtf8(info->default_sink_name);
}
