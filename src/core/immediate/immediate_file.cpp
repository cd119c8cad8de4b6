#include "core/immediate/immediate_file.h"

#include "core/storage/data_file.h"
#include "core/storage/folders.h"
#include "core/support/byte_codec.h"

namespace {

// Volume, mode, count, the entries, the limit kind, then the digest.
constexpr qint64 kMaxPlaylistFileBytes =
    4 * 4 + qint64{kPlaylistEntryBytes} * kPlaylistCapacity + 16;

// Reads one 32-bit field; false once the file has failed.
bool readI32(DataFileReader& reader, qint32& value) {
    QByteArray block;
    if (reader.failed() || !reader.read(block, 4)) {
        return false;
    }
    value = ByteReader(block).i32();
    return true;
}

PlaylistEntry decodePlaylistEntry(const QByteArray& bytes) {
    PlaylistEntry entry{};
    ByteReader r(bytes);
    r.text(entry.fileName);
    r.text(entry.path);
    r.text(entry.extension);
    entry.durationMs = r.i32();
    entry.isCurrent = r.i32();
    entry.playedThisRound = r.i32();
    return entry;
}

}  // namespace

QByteArray encodePlaylistEntry(const PlaylistEntry& entry) {
    QByteArray out;
    ByteWriter w(out);
    w.text(entry.fileName);
    w.text(entry.path);
    w.text(entry.extension);
    w.i32(entry.durationMs);
    w.i32(entry.isCurrent);
    w.i32(entry.playedThisRound);
    return out;
}

bool saveImmediateSettings(const QString& dataFolder, const ImmediateSettings& settings,
                           QString& message) {
    DataFileWriter writer(dataFolder, kImmediateFileName, MidWriteWording::Support, false);
    if (!writer.open(message)) {
        return false;
    }
    writer.write(i32Block(settings.volume));
    writer.write(i32Block(settings.playMode));
    writer.write(countBlock(static_cast<quint32>(settings.playlist.size())));
    for (const PlaylistEntry& entry : settings.playlist) {
        writer.write(encodePlaylistEntry(entry));
    }
    writer.write(i32Block(settings.limitByTracks));
    return writer.finish(message);
}

bool loadImmediateSettings(const QString& dataFolder, const QString& musicFolder,
                           ImmediateSettings& settings, QString& message) {
    settings = ImmediateSettings();
    DataFileReader reader(dataFolder, kImmediateFileName, kMaxPlaylistFileBytes);
    if (const auto opened = reader.open(message); opened != DataFileReader::Opened::Open) {
        if (opened == DataFileReader::Opened::Absent) {
            settings.playlist.push_back(makePlaylistEntry(
                joinPath(musicFolder, QStringLiteral("歌曲/") + kDefaultTrackName),
                kDefaultTrackMs));
        }
        return opened == DataFileReader::Opened::Absent;
    }
    qint32 volume = 0;
    if (readI32(reader, volume) && (volume < 25 || volume > 100)) {
        reader.reject();
    }
    qint32 mode = 0;
    if (readI32(reader, mode) && static_cast<quint32>(mode) > 2) {
        reader.reject();
    }
    const quint32 count = reader.readCount(quint32{kPlaylistCapacity});
    QByteArray block;
    for (quint32 i = 0; i < count && !reader.failed() && reader.read(block, kPlaylistEntryBytes);
         ++i) {
        PlaylistEntry entry = decodePlaylistEntry(block);
        entry.path[259] = 0;
        if (entry.durationMs < -1 || entry.durationMs > kMaxDurationMs) {
            reader.reject();
            break;
        }
        // The names are the path's; whatever was stored for them is ignored.
        rebuildNames(entry);
        settings.playlist.push_back(entry);
    }
    qint32 limitByTracks = 1;
    readI32(reader, limitByTracks);
    if (!reader.finish(message)) {
        settings = ImmediateSettings();
        return false;
    }
    settings.volume = volume;
    settings.playMode = mode;
    settings.limitByTracks = limitByTracks;
    return true;
}
