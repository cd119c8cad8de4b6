#include "audio/mpeg_audio_length.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QFile>
#include <algorithm>
#include <cstring>

namespace {

// Counting reads the whole file; beyond this the framework's estimate has to do (a 64 MB
// MP3 is over an hour even at 128 kbit/s).
constexpr qint64 kMaxCountedBytes = 64LL << 20;
// Where the first frame may begin after the ID3v2 tag (encoders leave a little junk).
constexpr qint64 kFirstFrameSearch = 64 * 1024;
// Frames in a row that must follow the first one, so that a stray sync word is not taken.
constexpr int kConfirmingFrames = 4;

// The bytes of a file, read through a window, or a whole buffer.
class Source {
  public:
    explicit Source(const QByteArray& bytes)
        : data_(reinterpret_cast<const uchar*>(bytes.constData())), size_(bytes.size()) {}
    Source(int fd, qint64 size) : fd_(fd), size_(size), window_(256 * 1024) {}

    qint64 size() const { return size_; }
    // n bytes (n <= 4096) at the offset, or nullptr when the file ends before them.
    const uchar* at(qint64 offset, int n) {
        if (offset < 0 || offset + n > size_) {
            return nullptr;
        }
        if (data_ != nullptr) {
            return data_ + offset;
        }
        if (offset < windowStart_ || offset + n > windowStart_ + windowSize_) {
            const qint64 want =
                std::min<qint64>(static_cast<qint64>(window_.size()), size_ - offset);
            qint64 got = 0;
            while (got < want) {
                const ssize_t r = ::pread(fd_, window_.data() + got,
                                          static_cast<size_t>(want - got), offset + got);
                if (r <= 0) {
                    break;
                }
                got += r;
            }
            windowStart_ = offset;
            windowSize_ = got;
            if (got < n) {
                return nullptr;
            }
        }
        return window_.data() + (offset - windowStart_);
    }

  private:
    const uchar* data_ = nullptr;
    int fd_ = -1;
    qint64 size_ = 0;
    std::vector<uchar> window_;
    qint64 windowStart_ = 0;
    qint64 windowSize_ = 0;
};

struct Frame {
    int version = 0;  // 1 MPEG-1, 2 MPEG-2, 25 MPEG-2.5
    int layer = 0;
    int sampleRate = 0;
    int samples = 0;  // per frame
    int bytes = 0;
    bool mono = false;
};

bool parseHeader(const uchar* h, Frame& f) {
    if (h[0] != 0xFF || (h[1] & 0xE0) != 0xE0) {
        return false;
    }
    const int versionBits = (h[1] >> 3) & 3;
    const int layerBits = (h[1] >> 1) & 3;
    const int bitrateIndex = h[2] >> 4;
    const int rateIndex = (h[2] >> 2) & 3;
    if (versionBits == 1 || layerBits == 0 || bitrateIndex == 0 || bitrateIndex == 15 ||
        rateIndex == 3 || (h[3] & 3) == 2) {
        return false;  // reserved values; free format is not counted either
    }
    static constexpr int kBitrates[5][15] = {
        {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448},  // 1, I
        {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},     // 1, II
        {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320},      // 1, III
        {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256},     // 2, I
        {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},          // 2, II/III
    };
    static constexpr int kRates[3] = {44100, 48000, 32000};
    f.version = versionBits == 3 ? 1 : versionBits == 2 ? 2 : 25;
    f.layer = 4 - layerBits;
    f.sampleRate = kRates[rateIndex] / (f.version == 1 ? 1 : f.version == 2 ? 2 : 4);
    const int table = f.version == 1 ? f.layer - 1 : f.layer == 1 ? 3 : 4;
    const int bitrate = kBitrates[table][bitrateIndex] * 1000;
    const int padding = (h[2] >> 1) & 1;
    if (f.layer == 1) {
        f.samples = 384;
        f.bytes = (12 * bitrate / f.sampleRate + padding) * 4;
    } else {
        f.samples = f.layer == 3 && f.version != 1 ? 576 : 1152;
        f.bytes = f.samples / 8 * bitrate / f.sampleRate + padding;
    }
    f.mono = (h[3] >> 6) == 3;
    return f.bytes >= 4;
}

bool sameStream(const Frame& a, const Frame& b) {
    return a.version == b.version && a.layer == b.layer && a.sampleRate == b.sampleRate;
}

// A frame at the offset followed by enough frames of the same stream (or the file's end).
bool confirmedFrameAt(Source& source, qint64 offset, Frame& first) {
    const uchar* h = source.at(offset, 4);
    if (h == nullptr || !parseHeader(h, first)) {
        return false;
    }
    qint64 next = offset + first.bytes;
    for (int k = 0; k < kConfirmingFrames; ++k) {
        if (next == source.size()) {
            return true;
        }
        Frame f;
        const uchar* n = source.at(next, 4);
        if (n == nullptr || !parseHeader(n, f) || !sameStream(f, first)) {
            return false;
        }
        next += f.bytes;
    }
    return true;
}

quint32 bigEndian32(const uchar* p) {
    return (quint32(p[0]) << 24) | (quint32(p[1]) << 16) | (quint32(p[2]) << 8) | p[3];
}

qint64 toMs(qint64 samples, int rate) {
    return samples * 1000 / rate;
}

// The Xing ("Info" for constant bitrate) tag of the first frame, or nullptr. The frame
// carries no sound.
const uchar* xingTag(Source& source, qint64 offset, const Frame& f) {
    const int sideInfo = f.version == 1 ? (f.mono ? 17 : 32) : (f.mono ? 9 : 17);
    const uchar* x = source.at(offset + 4 + sideInfo, 16);
    return x != nullptr && (std::memcmp(x, "Xing", 4) == 0 || std::memcmp(x, "Info", 4) == 0)
               ? x
               : nullptr;
}

// The samples the Xing or VBRI header of the first frame counts, or -1 when there is none.
qint64 headerSamples(Source& source, qint64 offset, const Frame& f) {
    if (const uchar* x = xingTag(source, offset, f)) {
        const quint32 flags = bigEndian32(x + 4);
        // Without a frame count, or in a file cut short after it was written, the header is
        // of no use.
        if ((flags & 1) == 0 ||
            ((flags & 2) != 0 && bigEndian32(x + 12) > source.size() - offset + 1024)) {
            return -1;
        }
        // The frames after the header's own; GStreamer's decoders play them all, the
        // encoder's delay and padding included.
        return qint64(bigEndian32(x + 8)) * f.samples;
    }
    if (const uchar* v = source.at(offset + 4 + 32, 18)) {
        if (std::memcmp(v, "VBRI", 4) == 0) {
            return qint64(bigEndian32(v + 14)) * f.samples;
        }
    }
    return -1;
}

qint64 lengthOf(Source& source) {
    qint64 offset = 0;
    // ID3v2 tags ahead of the audio, perhaps more than one.
    while (const uchar* id3 = source.at(offset, 10)) {
        if (std::memcmp(id3, "ID3", 3) != 0) {
            break;
        }
        const qint64 size = (qint64(id3[6] & 0x7F) << 21) | (qint64(id3[7] & 0x7F) << 14) |
                            (qint64(id3[8] & 0x7F) << 7) | (id3[9] & 0x7F);
        offset += 10 + size + ((id3[5] & 0x10) != 0 ? 10 : 0);
    }
    Frame first;
    const qint64 searchEnd = std::min(source.size(), offset + kFirstFrameSearch);
    while (offset < searchEnd && !confirmedFrameAt(source, offset, first)) {
        ++offset;
    }
    if (offset >= searchEnd) {
        return -1;
    }
    const qint64 fromHeader = headerSamples(source, offset, first);
    if (fromHeader >= 0) {
        return toMs(fromHeader, first.sampleRate);
    }
    if (source.size() > kMaxCountedBytes) {
        return -1;
    }
    if (xingTag(source, offset, first) != nullptr) {
        offset += first.bytes;
    }
    // Every frame of the stream; a damaged stretch is skipped up to the next frame that
    // is followed by others, as a decoder resynchronises.
    qint64 samples = 0;
    while (offset < source.size()) {
        Frame f;
        const uchar* h = source.at(offset, 4);
        if (h != nullptr && parseHeader(h, f) && sameStream(f, first)) {
            samples += f.samples;
            offset += f.bytes;
            continue;
        }
        qint64 next = offset + 1;
        while (next < source.size() && !confirmedFrameAt(source, next, f)) {
            ++next;
        }
        if (next >= source.size() || !sameStream(f, first)) {
            break;  // trailing tags (ID3v1, APE) or the end
        }
        offset = next;
    }
    return toMs(samples, first.sampleRate);
}

}  // namespace

bool isMpegAudioFile(const QString& path) {
    static const QStringList kExtensions = {QStringLiteral("mp3"), QStringLiteral("mp2"),
                                            QStringLiteral("mpa"), QStringLiteral("m1a"),
                                            QStringLiteral("m2a")};
    const int dot = path.lastIndexOf(u'.');
    return dot >= 0 && dot > path.lastIndexOf(u'/') &&
           kExtensions.contains(path.mid(dot + 1), Qt::CaseInsensitive);
}

qint64 mpegAudioLengthMs(const QByteArray& bytes) {
    Source source(bytes);
    return lengthOf(source);
}

qint64 mpegAudioLengthMs(const QString& path) {
    // Never blocks on a FIFO or a device: opened without waiting, and only a regular file
    // is read.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return -1;
    }
    struct stat info {};
    qint64 result = -1;
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
        Source source(fd, info.st_size);
        result = lengthOf(source);
    }
    ::close(fd);
    return result;
}
