#pragma once

#include <QString>
#include <vector>

#include "core/playback/media_player.h"
#include "core/support/clock.h"

// The one start of every playback: open on the output, run at silence, fade in to the level.
// On failure the code of the step that failed; a player whose run failed is closed again.
struct PlaybackStart {
    qint32 code = 0;
    bool openFailed = false;
    QString playerText;  // the framework's words for the failure
};
// The first half, which may be done ahead of time: open on the output and silence.
PlaybackStart preparePlayback(MediaPlayer& player, const QString& path, const QString& deviceName);
// The whole start; a player that preparePlayback already opened is only run and faded in.
PlaybackStart startPlayback(MediaPlayer& player, const QString& path, const QString& deviceName,
                            double level, Clock& clock, bool prepared = false);

// One output of a start on several outputs (the zones of a programme).
struct PlaybackTarget {
    MediaPlayer* player = nullptr;
    QString deviceName;
    double level = 0.0;
    bool prepared = false;
    bool running = false;  // run ahead on its own clock (runAt), fading in by itself
    PlaybackStart result;  // filled in by the start
};
// The same start on every target together: each opened and run, then all faded in with the
// same steps, so the outputs begin as one. A target that fails is left out of the rest. A
// target already running is only brought to its level once the steps are over.
void startPlaybackTogether(std::vector<PlaybackTarget>& targets, const QString& path, Clock& clock);
