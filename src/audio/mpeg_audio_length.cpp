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
// The samples by which GStreamer takes a decoder's output to lag the stream it decodes.
constexpr int kDecoderDelay = 529;

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
    int smallestBytes = 0;  // of a frame of this stream at its lowest bitrate
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
    f.samples = f.layer == 1 ? 384 : f.layer == 3 && f.version != 1 ? 576 : 1152;
    const auto bytesAt = [&f](int kbits, int padding) {
        const int bitrate = kbits * 1000;
        return f.layer == 1 ? (12 * bitrate / f.sampleRate + padding) * 4
                            : f.samples / 8 * bitrate / f.sampleRate + padding;
    };
    f.bytes = bytesAt(kBitrates[table][bitrateIndex], (h[2] >> 1) & 1);
    f.smallestBytes = bytesAt(kBitrates[table][1], 0);
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

// What the first frame says about the whole stream.
struct StreamInfo {
    bool xing = false;  // a Xing or Info frame: it carries no sound and is not played
    qint64 frames = -1;
    qint64 bytes = -1;
    // The LAME tag's encoder delay and padding, which GStreamer cuts from what it plays (only
    // from files whose tag says LAME made them; other encoders' files are played whole).
    bool lame = false;
    int delay = 0;
    int padding = 0;
};

StreamInfo xingInfo(Source& source, qint64 offset, const Frame& f) {
    StreamInfo info;
    const int sideInfo = f.version == 1 ? (f.mono ? 17 : 32) : (f.mono ? 9 : 17);
    const qint64 tag = offset + 4 + sideInfo;
    const uchar* x = source.at(tag, 8);
    if (x == nullptr || (std::memcmp(x, "Xing", 4) != 0 && std::memcmp(x, "Info", 4) != 0)) {
        return info;
    }
    info.xing = true;
    const quint32 flags = bigEndian32(x + 4);
    qint64 field = tag + 8;
    if ((flags & 1) != 0) {
        const uchar* p = source.at(field, 4);
        info.frames = p != nullptr && bigEndian32(p) != 0 ? bigEndian32(p) : -1;
        field += 4;
    }
    if ((flags & 2) != 0) {
        const uchar* p = source.at(field, 4);
        info.bytes = p != nullptr && bigEndian32(p) != 0 ? bigEndian32(p) : -1;
        field += 4;
    }
    field += ((flags & 4) != 0 ? 100 : 0) + ((flags & 8) != 0 ? 4 : 0);
    // The LAME tag follows the fields the flags announce, inside the frame.
    if (offset + f.bytes - field >= 36) {
        if (const uchar* lame = source.at(field, 24); lame != nullptr) {
            if (std::memcmp(lame, "LAME", 4) == 0) {
                info.lame = true;
                info.delay = (lame[21] << 4) | (lame[22] >> 4);
                info.padding = ((lame[22] & 0x0F) << 8) | lame[23];
            }
        }
    }
    return info;
}

StreamInfo vbriInfo(Source& source, qint64 offset) {
    StreamInfo info;
    const uchar* v = source.at(offset + 4 + 32, 18);
    if (v != nullptr && std::memcmp(v, "VBRI", 4) == 0) {
        info.bytes = bigEndian32(v + 10) != 0 ? bigEndian32(v + 10) : -1;
        info.frames = bigEndian32(v + 14) != 0 ? bigEndian32(v + 14) : -1;
    }
    return info;
}

// Whether the header's frame count can be taken for the file: a file cut short after it was
// written, or a count that no file of this size could hold, leaves counting the frames.
bool believable(const StreamInfo& info, Source& source, qint64 offset, const Frame& first) {
    const qint64 available = source.size() - offset;
    if (info.frames <= 0 || info.frames > available / first.smallestBytes) {
        return false;
    }
    return info.bytes < 0 || info.bytes <= available + 1024;
}

// The frames of the stream from the offset on; a damaged stretch is skipped up to the next
// frame that is followed by others, as a decoder resynchronises.
qint64 countFrames(Source& source, qint64 offset, const Frame& first) {
    qint64 frames = 0;
    while (offset < source.size()) {
        Frame f;
        const uchar* h = source.at(offset, 4);
        if (h != nullptr && parseHeader(h, f) && sameStream(f, first)) {
            if (offset + f.bytes > source.size()) {
                break;  // a frame cut short is not played
            }
            ++frames;
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
    return frames;
}

// GStreamer plays a stream with a LAME tag from the end of the encoder's delay to the start
// of its padding, counted on the decoder's output, which lags the stream by kDecoderDelay
// samples: a stream that ends early (cut short, or shorter than its header) loses that lag too.
qint64 playedSamples(const StreamInfo& info, qint64 frames, int samplesPerFrame) {
    const qint64 decoded = frames * samplesPerFrame;
    if (!info.lame) {
        return decoded;
    }
    const qint64 end =
        info.frames > 0 ? info.frames * samplesPerFrame + kDecoderDelay - info.padding : decoded;
    return std::max<qint64>(0, std::min(decoded, end) - (info.delay + kDecoderDelay));
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
    StreamInfo info = xingInfo(source, offset, first);
    if (!info.xing) {
        info = vbriInfo(source, offset);  // a VBRI frame is played like any other
    }
    if (believable(info, source, offset, first)) {
        return toMs(playedSamples(info, info.frames, first.samples), first.sampleRate);
    }
    if (source.size() > kMaxCountedBytes) {
        return -1;
    }
    const qint64 frames = countFrames(source, info.xing ? offset + first.bytes : offset, first);
    return toMs(playedSamples(info, frames, first.samples), first.sampleRate);
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
