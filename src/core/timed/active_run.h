#pragma once

#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

#include "core/playback/media_player.h"
#include "core/timed/programme.h"

// A track of a folder run: its full path and its file name.
struct FileEntry {
    QString path;
    QString name;
};

// A further zone's player of a run, started and stopped with the run's first one.
struct ZonePlayer {
    QString zone;
    std::unique_ptr<MediaPlayer> player;
};

// One playing or waiting occurrence of a programme.
struct ActiveRun {
    Programme programme;  // a copy; lastStartTime is the start of this occurrence
    qint32 manualStart = 0;
    qint32 playCount = 0;
    std::unique_ptr<MediaPlayer> player;
    // The zones it sounds in ("" is the program-wide output, the one zone without a zone
    // file): `player` plays in playerZone, each follower in its own.
    QStringList zones{QString()};
    QString playerZone;
    std::vector<ZonePlayer> followers;
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
    bool sharesZoneWith(const QStringList& others) const;
};

// Runs that share no zone play at once; of those that share one, the earliest plays and the
// others wait in order.
using ActiveRunList = std::vector<std::unique_ptr<ActiveRun>>;
