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

// Measures a recorded scenario until a run heard its windows whole, kRecordingTries runs at
// most. A window the recorder did not hear proves nothing either way; a track that fell silent
// where it should have sounded (its player's sink buffer ran dry on a busy machine) is printed
// and measured again too. `scenario` returns its figures with the milliseconds lost in the
// windows its checks read as `lostMs` and those of such silence as `droppedMs`. The caller
// asserts conclusive() before its checks, and leaves dropouts out of its levels or fails on
// them.
template <typename Heard>
::testing::AssertionResult conclusive(const Heard& heard) {
    if (heard.lostMs > 0.0) {
        return ::testing::AssertionFailure() << "recording lost " << heard.lostMs << " ms";
    }
    return ::testing::AssertionSuccess();
}

template <typename Scenario>
auto measureWhole(Scenario scenario) {
    auto heard = scenario();
    for (int run = 1; run < kRecordingTries && (heard.lostMs > 0.0 || heard.droppedMs > 0.0);
         ++run) {
        std::printf(
            "[recorder] lost %.0f ms, the track dropped out for %.0f ms (its player's "
            "sink buffer ran dry); measuring again\n",
            heard.lostMs, heard.droppedMs);
        heard = scenario();
    }
    return heard;
}
