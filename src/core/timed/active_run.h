#pragma once

#include <QString>
#include <memory>
#include <vector>

#include "core/playback/media_player.h"
#include "core/timed/programme.h"

// A track of a folder run: its full path and its file name.
struct FileEntry {
    QString path;
    QString name;
};

// One playing or waiting occurrence of a programme.
struct ActiveRun {
    Programme programme;  // a copy; lastStartTime is the start of this occurrence
    qint32 manualStart = 0;
    qint32 playCount = 0;
    std::unique_ptr<MediaPlayer> player;
    double fadeGain = 1.0;
    std::vector<FileEntry> playedFiles;
    std::vector<FileEntry> failedFiles;
    std::vector<FileEntry> candidates;
    qint32 consecutiveFailures = 0;
    QString progressText;  // the now-playing list's "播放进度" and "当前音乐"
    QString trackText;

    QString name() const { return programmeName(programme); }
    // "(手动)" after the name of a run started by hand.
    QString suffix() const;
    QString label() const { return name() + suffix(); }
};

// Only the head plays; the others wait in order.
using ActiveRunList = std::vector<std::unique_ptr<ActiveRun>>;
