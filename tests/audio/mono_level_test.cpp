#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <cmath>
#include <cstdio>

#include "audio/audio_player.h"
#include "audio/gst_support.h"
#include "core/playback/volume_scale.h"
#include "helpers/decoded_length.h"
#include "helpers/sink_recorder.h"
#include "helpers/temp_folder.h"
#include "helpers/test_environment.h"

namespace {

struct MonoFormat {
    const char* name;  // file name, with the extension that chooses the decoder
    QStringList encoder;
};

// ffmpeg's sine has an amplitude of 1/8: -21.07 dBFS as a level.
const double kToneLevelDb = 20.0 * std::log10(0.125 / std::sqrt(2.0));

bool playToTheEnd(AudioPlayer& player) {
    QElapsedTimer timer;
    timer.start();
    while (!player.isAtEnd()) {
        if (timer.elapsed() > 10000) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(10);
    }
    return true;
}

}  // namespace

// A one-channel file plays at the volume's level, whatever its container says about the
// channel: WAVs with a channel mask (24-bit and float ones) name it the front centre, and the
// sound server split it over both speakers 6 dB down.
TEST(MonoLevel, EveryMonoFormatPlaysAtTheVolumesLevel) {
    ASSERT_TRUE(soundServerReady());
    ASSERT_TRUE(initAudioEngine());
    const auto codec = [](const char* name, const char* format) {
        return QStringList{QStringLiteral("-c:a"), QString::fromLatin1(name), QStringLiteral("-f"),
                           QString::fromLatin1(format)};
    };
    const std::vector<MonoFormat> formats = {
        {"mono.mp3", codec("libmp3lame", "mp3")},
        {"mono.mp2", codec("mp2", "mp2")},
        {"mono.m1a", codec("mp2", "mp2")},
        {"mono.m2a", codec("mp2", "mp2") + QStringList{"-ar", "22050"}},
        {"mono.mpa", codec("libmp3lame", "mp3")},
        {"mono-16.wav", codec("pcm_s16le", "wav")},
        {"mono-24.wav", codec("pcm_s24le", "wav")},
        {"mono-float.wav", codec("pcm_f32le", "wav")},
        {"mono.wma", codec("wmav2", "asf")},
        {"mono.m4a", codec("aac", "ipod")},
        {"mono.aac", codec("aac", "adts")},
        {"mono.flac", codec("flac", "flac")},
        {"mono-24.flac", codec("flac", "flac") + QStringList{"-sample_fmt", "s32"}},
        {"mono.ogg", codec("libvorbis", "ogg")},
        {"mono-opus.ogg", codec("libopus", "ogg")},
        {"mono.tta", codec("tta", "tta")},
        {"mono.wv", codec("wavpack", "wv")},
    };
    TempFolder folder;
    SinkRecorder recorder(QStringLiteral("kb_speakers"));
    ASSERT_TRUE(recorder.start());
    const double expected = kToneLevelDb + volumeToAttenuation(80) / 100.0;
    for (const MonoFormat& format : formats) {
        SCOPED_TRACE(format.name);
        const QString path = folder.file(QString::fromLatin1(format.name));
        ASSERT_TRUE(encodeWithFfmpeg(path, {QStringLiteral("sine=f=441:d=1.5:sample_rate=44100")},
                                     QString(), QStringList{"-ac", "1"} + format.encoder));
        AudioPlayer player;
        ASSERT_EQ(player.open(path, QStringLiteral("KB-Speakers")), 0)
            << player.lastErrorText().toStdString();
        player.setVolume(volumeToAttenuation(80));
        const qint64 before = monotonicNs();
        ASSERT_EQ(player.run(), 0);
        ASSERT_TRUE(playToTheEnd(player));
        player.stop();
        player.close();
        const qint64 first = recorder.firstSoundNs(before, -50.0);
        ASSERT_GT(first, 0) << "nothing heard";
        // The middle of the tone, away from the codecs' edges and the recorder's lag; where the
        // player ran dry on a busy machine, the silence is not the format's level.
        const qint64 from = first + 300'000'000;
        const qint64 to = first + 1000'000'000;
        if (const double dropped = recorder.silentMs(from, to); dropped > 0) {
            std::printf("[recorder] %s dropped out for %.0f ms\n", format.name, dropped);
        }
        EXPECT_NEAR(recorder.levelDb(from, to, SinkRecorder::Silence::IsDropout), expected, 0.5);
    }
}
