#include "core/immediate/immediate_file.h"
#include "data_file_fuzzing.h"

namespace {

std::vector<ImmediateSettings> seeds() {
    std::vector<ImmediateSettings> settings(3);
    settings[1].volume = 42;
    settings[1].playMode = kRandom;
    settings[1].playlist.push_back(makePlaylistEntry(QStringLiteral("/music/早操.mp3"), 61000));
    settings[1].playlist.push_back(makePlaylistEntry(QStringLiteral("/music/铃声.wav"), -1));
    settings[1].playlist[1].isCurrent = 1;
    settings[2] = settings[1];
    settings[2].limitByTracks = 0;
    settings[2].playlist.push_back(
        makePlaylistEntry(QStringLiteral("/music/长曲.flac"), 360000000));
    return settings;
}

const FuzzedFormat<ImmediateSettings> kFormat{
    kImmediateFileName,
    ImmediateSettings{},
    ImmediateSettings{},
    [](const QString& folder, ImmediateSettings& settings, QString& message) {
        return loadImmediateSettings(folder, QStringLiteral("/music"), settings, message);
    },
    saveImmediateSettings,
    seeds,
};

}  // namespace

KB_DATA_FILE_FUZZER(kFormat)
