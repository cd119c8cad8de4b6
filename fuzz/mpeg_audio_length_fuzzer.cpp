// The MP3 length reader on any bytes. It must end, read nothing outside the file, give the same
// answer from a file as from the bytes in memory, and never claim more than a millisecond per
// byte (the lowest bitrate, 8 kbit/s, is one byte per millisecond).
#include <sys/mman.h>
#include <unistd.h>
#include <QFile>
#include <QtEndian>
#include <cstdio>

#include "audio/mpeg_audio_length.h"
#include "data_file_fuzzing.h"

namespace {

// A frame of the header's size: silence (all side information zero), or the start of a tag.
QByteArray frame(quint32 header, int bytes, const QByteArray& content = QByteArray(), int at = 0) {
    QByteArray f(bytes, '\0');
    qToBigEndian(header, f.data());
    f.replace(at, content.size(), content);
    return f;
}

QByteArray frames(quint32 header, int bytes, int count) {
    QByteArray all;
    for (int i = 0; i < count; ++i) {
        all += frame(header, bytes);
    }
    return all;
}

QByteArray bigEndian(quint32 value) {
    QByteArray b(4, '\0');
    qToBigEndian(value, b.data());
    return b;
}

std::vector<QByteArray> seeds() {
    constexpr quint32 kMpeg1Layer3 = 0xFFFB9000;  // 128 kbit/s, 44.1 kHz, stereo: 417 bytes
    constexpr quint32 kMpeg1Layer3Mono = 0xFFFB90C0;
    constexpr quint32 kMpeg25Layer3Mono = 0xFFE388C0;  // 64 kbit/s, 8 kHz: 576 bytes
    constexpr quint32 kMpeg1Layer2 = 0xFFFD8000;       // 128 kbit/s, 44.1 kHz: 417 bytes
    std::vector<QByteArray> all;
    all.push_back(frames(kMpeg1Layer3Mono, 417, 20));
    // Info frame with every field and a LAME tag (delay 576, padding 1000).
    QByteArray info = QByteArray("Info") + bigEndian(0xF) + bigEndian(20) + bigEndian(21 * 417) +
                      QByteArray(100, '\x10') + bigEndian(78) + QByteArray("LAME3.100") +
                      QByteArray(12, '\0') + QByteArray::fromHex("2403E8");
    all.push_back(frame(kMpeg1Layer3, 417, info, 36) + frames(kMpeg1Layer3, 417, 20));
    // A VBRI frame counting itself and 20 more.
    QByteArray vbri = QByteArray("VBRI") + QByteArray::fromHex("000104510050") +
                      bigEndian(21 * 417) + bigEndian(21) + QByteArray(8, '\0');
    all.push_back(frame(kMpeg1Layer3, 417, vbri, 36) + frames(kMpeg1Layer3, 417, 20));
    // An ID3v2 tag ahead of MPEG-2.5 frames, an ID3v1 tag after them.
    QByteArray id3 =
        QByteArray("ID3") + QByteArray::fromHex("03000000000014") + QByteArray(20, ' ');
    all.push_back(id3 + frames(kMpeg25Layer3Mono, 576, 12) + QByteArray("TAG") +
                  QByteArray(125, ' '));
    all.push_back(frames(kMpeg1Layer2, 417, 16));
    return all;
}

void writeSeeds() {
    const QString folder = fuzzing::seedFolder();
    if (folder.isEmpty()) {
        return;
    }
    const std::vector<QByteArray> all = seeds();
    for (size_t i = 0; i < all.size(); ++i) {
        QFile file(folder + QStringLiteral("/seed-%1.mp3").arg(i + 1));
        if (!file.open(QIODevice::WriteOnly) || file.write(all[i]) != all[i].size()) {
            fuzzing::fail("a seed could not be written", file.fileName());
        }
        if (mpegAudioLengthMs(all[i]) <= 0) {
            fuzzing::fail("a seed has no length", file.fileName());
        }
    }
    fuzzing::finishSeeds(static_cast<int>(all.size()));
}

// One file in memory, rewritten for every input.
int memoryFile() {
    static const int fd = memfd_create("mp3", MFD_CLOEXEC);
    if (fd < 0) {
        fuzzing::fail("no file in memory");
    }
    return fd;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    writeSeeds();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const qint64 fromBytes = mpegAudioLengthMs(bytes);
    if (fromBytes < -1 || fromBytes > static_cast<qint64>(size)) {
        fuzzing::fail("a length no file of this size can hold", QString::number(fromBytes));
    }
    const int fd = memoryFile();
    if (::ftruncate(fd, 0) != 0 || ::pwrite(fd, data, size, 0) != static_cast<ssize_t>(size)) {
        fuzzing::fail("the file in memory could not be written");
    }
    const qint64 fromFile = mpegAudioLengthMs(QStringLiteral("/proc/self/fd/%1").arg(fd));
    if (fromFile != fromBytes) {
        fuzzing::fail("the file and its bytes differ",
                      QStringLiteral("%1 against %2").arg(fromFile).arg(fromBytes));
    }
    return 0;
}
