#include <gtest/gtest.h>
#include <sys/stat.h>
#include <QFile>
#include <QProcess>
#include <QtEndian>

#include "audio/audio_player.h"
#include "audio/duration_probe.h"
#include "audio/gst_support.h"
#include "audio/mpeg_audio_length.h"
#include "audio/output_devices.h"
#include "helpers/decoded_length.h"
#include "helpers/temp_folder.h"
#include "helpers/tone_files.h"

namespace {

struct Made {
    QString path;
    qint64 decoded = -1;
};

// Quiet and busy stretches make a variable bitrate vary, so that the first frames' bitrate
// says little about the rest.
Made make(const QString& folder, const QString& name, double quiet, double busy, bool busyFirst,
          const QStringList& encoder) {
    Made made;
    made.path = folder + u'/' + name;
    const QString tone = QStringLiteral("sine=f=440:d=%1").arg(quiet);
    const QString noise = QStringLiteral("anoisesrc=d=%1:a=0.4").arg(busy);
    const QStringList inputs = busyFirst ? QStringList{noise, tone} : QStringList{tone, noise};
    if (encodeWithFfmpeg(made.path, inputs, QStringLiteral("[0][1]concat=n=2:v=0:a=1"), encoder)) {
        made.decoded = decodedLengthMs(made.path);
    }
    return made;
}

QStringList lame(const QStringList& mode, int channels, int rate, bool xing) {
    return QStringList{
               QStringLiteral("-ac"),         QString::number(channels),
               QStringLiteral("-ar"),         QString::number(rate),
               QStringLiteral("-c:a"),        QStringLiteral("libmp3lame"),
               QStringLiteral("-write_xing"), xing ? QStringLiteral("1") : QStringLiteral("0")} +
           mode;
}

// An MP3 that lame makes of a tone with a burst of noise (so that its bitrate varies).
QString lameFile(const QString& folder, const QString& name, const QStringList& options) {
    const QString wav = folder + QStringLiteral("/lame-input.wav");
    if (!QFile::exists(wav) &&
        !encodeWithFfmpeg(
            wav, {QStringLiteral("sine=f=330:d=2.3"), QStringLiteral("anoisesrc=d=1:a=0.3")},
            QStringLiteral("[0][1]concat=n=2:v=0:a=1"),
            {QStringLiteral("-ac"), QStringLiteral("2")})) {
        return QString();
    }
    const QString path = folder + u'/' + name;
    QProcess lame;
    lame.start(QStringLiteral("lame"),
               QStringList{QStringLiteral("--quiet")} + options + QStringList{wav, path});
    return lame.waitForFinished(60000) && lame.exitCode() == 0 ? path : QString();
}

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeAll(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

}  // namespace

// lame's own files, with and without their Xing and LAME tags, and headers that lie: the length
// is what GStreamer decodes, within 5 ms.
TEST(MpegAudioLength, LameFilesAndDamagedHeadersMeasureAsTheyDecode) {
    ASSERT_TRUE(initAudioEngine());
    TempFolder folder;
    // Rate modes by MPEG-1, MPEG-2 and MPEG-2.5 sample rates (the last two in mono), with and
    // without lame's tags.
    const std::vector<std::pair<QString, QStringList>> modes = {
        {QStringLiteral("cbr"), {QStringLiteral("-b"), QStringLiteral("64")}},
        {QStringLiteral("vbr"), {QStringLiteral("-V"), QStringLiteral("4")}},
        {QStringLiteral("abr"), {QStringLiteral("--abr"), QStringLiteral("56")}},
    };
    const std::vector<std::pair<QString, QStringList>> versions = {
        {QStringLiteral("mpeg1"), {QStringLiteral("--resample"), QStringLiteral("44.1")}},
        {QStringLiteral("mpeg2"),
         {QStringLiteral("--resample"), QStringLiteral("22.05"), QStringLiteral("-m"),
          QStringLiteral("m")}},
        {QStringLiteral("mpeg25"),
         {QStringLiteral("--resample"), QStringLiteral("8"), QStringLiteral("-m"),
          QStringLiteral("m")}},
    };
    std::vector<QString> files;
    for (const auto& [mode, modeOptions] : modes) {
        for (const auto& [version, versionOptions] : versions) {
            for (const bool tag : {true, false}) {
                const QString name =
                    QStringLiteral("%1-%2-%3.mp3")
                        .arg(mode, version, tag ? QStringLiteral("tag") : QStringLiteral("bare"));
                QStringList options = modeOptions + versionOptions;
                if (!tag) {
                    options << QStringLiteral("-t");
                }
                files.push_back(lameFile(folder.path(), name, options));
                ASSERT_FALSE(files.back().isEmpty())
                    << name.toStdString() << ": is lame installed?";
            }
        }
    }
    const QString vbr = folder.file(QStringLiteral("vbr-mpeg1-tag.mp3"));
    const QString cbrBare = folder.file(QStringLiteral("cbr-mpeg1-bare.mp3"));

    // A frame count no file of this size can hold (a 117 KB file once showed 3.6 years).
    QByteArray bytes = readAll(vbr);
    const qsizetype xing = bytes.indexOf("Xing");
    ASSERT_GT(xing, 0);
    qToBigEndian<quint32>(0xFFFFFF00u, bytes.data() + xing + 8);
    files.push_back(folder.file(QStringLiteral("huge-count.mp3")));
    ASSERT_TRUE(writeAll(files.back(), bytes));
    // Cut short after its header was written: the LAME tag's padding is never reached.
    files.push_back(folder.file(QStringLiteral("xing-cut.mp3")));
    const QByteArray whole = readAll(vbr);
    ASSERT_TRUE(writeAll(files.back(), whole.left(whole.size() * 7 / 10)));

    // A VBRI header (Fraunhofer's encoders write it; lame does not) ahead of 64 kbit/s frames:
    // the frame holding it has the size of theirs and is played like them.
    bytes = readAll(cbrBare);
    ASSERT_EQ(static_cast<uchar>(bytes[0]), 0xFF);
    const int frameBytes = 144 * 64000 / 44100;
    QByteArray vbri(frameBytes, '\0');
    vbri.replace(0, 4, bytes.left(4));
    vbri[2] = static_cast<char>(vbri[2] & ~2);  // no padding byte
    const qint64 audioMs = decodedLengthMs(cbrBare);
    const quint32 frames = static_cast<quint32>(qRound(audioMs * 44.1 / 1152.0)) + 1;
    vbri.replace(36, 4, "VBRI");
    qToBigEndian<quint16>(1, vbri.data() + 40);
    qToBigEndian<quint32>(static_cast<quint32>(frameBytes + bytes.size()), vbri.data() + 46);
    qToBigEndian<quint32>(frames, vbri.data() + 50);
    files.push_back(folder.file(QStringLiteral("vbri.mp3")));
    ASSERT_TRUE(writeAll(files.back(), vbri + bytes));
    // The same cut short: its header still counts the whole.
    files.push_back(folder.file(QStringLiteral("vbri-cut.mp3")));
    ASSERT_TRUE(writeAll(files.back(), (vbri + bytes).left((frameBytes + bytes.size()) * 6 / 10)));

    for (const QString& file : files) {
        SCOPED_TRACE(file.toStdString());
        const qint64 decoded = decodedLengthMs(file);
        ASSERT_GT(decoded, 0);
        EXPECT_LE(std::abs(mpegAudioLengthMs(file) - decoded), 5);
    }
}

// Variable and average bitrate MP3s without a Xing header: GStreamer only estimates their
// length from the first frames; counting the frames gives it within a frame or two.
TEST(MpegAudioLength, VariableBitrateFilesWithoutAHeaderAreCountedFrameByFrame) {
    ASSERT_TRUE(initAudioEngine());
    TempFolder folder;
    const QStringList vbr = {QStringLiteral("-q:a"), QStringLiteral("4")};
    const QStringList abr = {QStringLiteral("-abr"), QStringLiteral("1"), QStringLiteral("-b:a"),
                             QStringLiteral("96k")};
    const std::vector<Made> files = {
        make(folder.path(), QStringLiteral("stereo-44k.mp3"), 6, 4, false,
             lame(vbr, 2, 44100, false)),
        make(folder.path(), QStringLiteral("mono-22k.mp3"), 8, 3, true, lame(vbr, 1, 22050, false)),
        make(folder.path(), QStringLiteral("abr-48k.mp3"), 5, 5, false, lame(abr, 2, 48000, false)),
        make(folder.path(), QStringLiteral("mono-32k.MP3"), 2, 9, false,
             lame(vbr, 1, 32000, false)),
        make(folder.path(), QStringLiteral("with-xing.mp3"), 6, 4, false,
             lame(vbr, 2, 44100, true)),
    };
    int estimatesFarOff = 0;
    for (const Made& f : files) {
        SCOPED_TRACE(f.path.toStdString());
        ASSERT_GT(f.decoded, 0);
        EXPECT_LE(std::abs(probeDurationMs(f.path) - f.decoded), 100);
        const qint64 estimate = prerolledLengthMs(f.path);
        estimatesFarOff += std::abs(estimate - f.decoded) > 300 ? 1 : 0;
    }
    EXPECT_GE(estimatesFarOff, 2) << "the files must be ones that the estimate gets wrong";
}

TEST(MpegAudioLength, OtherContentUnderAnMpegNameIsLeftToTheDecoders) {
    ASSERT_TRUE(initAudioEngine());
    TempFolder folder;
    // A WAV file named .mp3: no frames to count, so the decoders' length is used.
    const QString wav = folder.file(QStringLiteral("really-wav.mp3"));
    ASSERT_TRUE(QFile::copy(toneFile(QStringLiteral("wav"), 2.0), wav));
    EXPECT_EQ(mpegAudioLengthMs(wav), -1);
    EXPECT_EQ(probeDurationMs(wav), 2000);
    // Not a regular file: refused at once instead of waiting for a writer.
    const QString fifo = folder.file(QStringLiteral("pipe.mp3"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    EXPECT_EQ(mpegAudioLengthMs(fifo), -1);
    // Garbage and a truncated stream.
    EXPECT_EQ(mpegAudioLengthMs(QByteArray(5000, '\xff')), -1);
    QFile mp3(toneFile(QStringLiteral("mp3"), 3.0));
    ASSERT_TRUE(mp3.open(QIODevice::ReadOnly));
    const QByteArray whole = mp3.readAll();
    EXPECT_NEAR(mpegAudioLengthMs(whole), 3000, 60);
    EXPECT_NEAR(mpegAudioLengthMs(whole.left(whole.size() / 2)), 1500, 100);
}

// The player ends a track when its position reaches its length: with the estimate, a file
// whose busy start has a high bitrate ended seconds before its music did.
TEST(MpegAudioLength, ThePlayerTakesTheCountedLength) {
    ASSERT_TRUE(initAudioEngine());
    TempFolder folder;
    const Made busyFirst =
        make(folder.path(), QStringLiteral("busy-first.mp3"), 8, 3, true,
             lame({QStringLiteral("-q:a"), QStringLiteral("4")}, 1, 22050, false));
    ASSERT_GT(busyFirst.decoded, 0);
    ASSERT_GT(std::abs(prerolledLengthMs(busyFirst.path) - busyFirst.decoded), 1000);
    AudioPlayer player;
    ASSERT_EQ(player.open(busyFirst.path, kNullRendererName), 0);
    EXPECT_LE(std::abs(player.getDurationMs() - busyFirst.decoded), 100);
    player.seekMs(busyFirst.decoded - 2000);
    EXPECT_FALSE(player.isAtEnd()) << "two seconds before the end of the music";
    player.close();
}
