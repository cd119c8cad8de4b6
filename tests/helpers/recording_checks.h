#pragma once

#include <gtest/gtest.h>
#include <cstdio>

#include "helpers/sink_recorder.h"

// Passes when the recorder heard every sample between two monotonic times; otherwise fails
// with "recording lost N ms", so that a red test names the recording, not the product.
inline ::testing::AssertionResult heardWhole(const SinkRecorder& recorder, qint64 fromNs,
                                             qint64 toNs) {
    const double lost = recorder.lostMs(fromNs, toNs);
    if (lost == 0.0) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "recording lost " << lost << " ms";
}

// Measures a recorded scenario until a run is conclusive, kRecordingTries runs at most. A
// window the recorder did not hear proves nothing either way; nor does a track that ran dry
// on an overloaded machine (its player's sink buffer emptied) say anything about a glide.
// `scenario` returns its figures with the milliseconds the recorder lost in the windows its
// checks read as `lostMs`, and those of silence where a track should have sounded as
// `droppedMs`; the caller asserts on both (with conclusive()) before its checks.
template <typename Heard>
::testing::AssertionResult conclusive(const Heard& heard) {
    if (heard.lostMs > 0.0) {
        return ::testing::AssertionFailure() << "recording lost " << heard.lostMs << " ms";
    }
    if (heard.droppedMs > 0.0) {
        return ::testing::AssertionFailure()
               << "the track dropped out for " << heard.droppedMs
               << " ms (its player's sink buffer ran dry)";
    }
    return ::testing::AssertionSuccess();
}

template <typename Scenario>
auto measureWhole(Scenario scenario) {
    auto heard = scenario();
    for (int run = 1; run < kRecordingTries && !conclusive(heard); ++run) {
        std::printf("[recorder] %s; measuring again\n", conclusive(heard).message());
        heard = scenario();
    }
    return heard;
}
