#pragma once

#include <QString>
#include <vector>

constexpr int kPlaylistCapacity = 300;
constexpr int kPlaylistEntryBytes = 1572;
constexpr qint32 kMaxDurationMs = 360000000;

// One track of the immediate playlist, exactly as the immediate-play file stores it.
struct PlaylistEntry {
    char16_t fileName[260];   // the name part of path
    char16_t path[260];       // the full path of the music file
    char16_t extension[260];  // of fileName, with the dot; empty when there is none
    qint32 durationMs;        // -1: unknown or not playable
    qint32 isCurrent;         // the track a start plays, shown with the arrow
    qint32 playedThisRound;   // random mode has played it in the current cycle
};
static_assert(sizeof(PlaylistEntry) == kPlaylistEntryBytes);

enum PlayMode : qint32 { kRepeatOne = 0, kRepeatList = 1, kRandom = 2 };

// The saved state of immediate play.
struct ImmediateSettings {
    qint32 volume = 80;  // 25-100
    qint32 playMode = kRepeatList;
    qint32 limitByTracks = 1;  // non-zero: n tracks, 0: n seconds
    std::vector<PlaylistEntry> playlist;
};

// An entry for the path, its names taken from it, both flags 0.
PlaylistEntry makePlaylistEntry(const QString& path, qint32 durationMs);
// Rebuilds fileName and extension from the path.
void rebuildNames(PlaylistEntry& entry);

QString entryFileName(const PlaylistEntry& entry);
QString entryPath(const PlaylistEntry& entry);
QString entryExtension(const PlaylistEntry& entry);

// The index of the first current entry, or -1.
int currentIndex(const std::vector<PlaylistEntry>& playlist);
void clearPlayedFlags(std::vector<PlaylistEntry>& playlist);
// After loading: only the first current entry stays current, or entry 0 when there was none.
// Returns that index, -1 for an empty list.
int settleCurrentEntry(std::vector<PlaylistEntry>& playlist);

// A measured length as the file can hold it: -1 when unknown, at most 100 hours.
qint32 storableDuration(qint64 durationMs);
// "mm:ss" of a duration, empty when it is unknown.
QString formatDuration(qint32 durationMs);
