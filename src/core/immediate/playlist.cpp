#include "core/immediate/playlist.h"

#include <algorithm>

#include "core/support/date_text.h"
#include "core/support/music_files.h"
#include "core/support/text.h"

PlaylistEntry makePlaylistEntry(const QString& path, qint32 durationMs) {
    PlaylistEntry entry{};
    setFieldText(entry.path, path);
    rebuildNames(entry);
    entry.durationMs = durationMs;
    return entry;
}

void rebuildNames(PlaylistEntry& entry) {
    const QString path = entryPath(entry);
    const QString name = path.mid(path.lastIndexOf(u'/') + 1);
    setFieldText(entry.fileName, name);
    setFieldText(entry.extension, fileExtension(name));
}

QString entryFileName(const PlaylistEntry& entry) {
    return fieldText(entry.fileName);
}

QString entryPath(const PlaylistEntry& entry) {
    return fieldText(entry.path);
}

QString entryExtension(const PlaylistEntry& entry) {
    return fieldText(entry.extension);
}

int currentIndex(const std::vector<PlaylistEntry>& playlist) {
    for (size_t i = 0; i < playlist.size(); ++i) {
        if (playlist[i].isCurrent != 0) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

void clearPlayedFlags(std::vector<PlaylistEntry>& playlist) {
    for (PlaylistEntry& entry : playlist) {
        entry.playedThisRound = 0;
    }
}

int settleCurrentEntry(std::vector<PlaylistEntry>& playlist) {
    if (playlist.empty()) {
        return -1;
    }
    const int current = qMax(0, currentIndex(playlist));
    for (PlaylistEntry& entry : playlist) {
        entry.isCurrent = 0;
    }
    playlist[static_cast<size_t>(current)].isCurrent = 1;
    return current;
}

qint32 storableDuration(qint64 durationMs) {
    // A longer value would make the whole file unreadable at the next start.
    return static_cast<qint32>(std::clamp<qint64>(durationMs, -1, kMaxDurationMs));
}

QString formatDuration(qint32 durationMs) {
    return formatMinSec(durationMs);
}
