#pragma once

#include <QByteArray>
#include <QString>

// The length of MPEG audio (mp3, mp2, mpa, m1a, m2a) from its frames. GStreamer estimates it
// from the first frames' bitrate when the file has no Xing or VBRI header, which is seconds
// off for variable bitrates; counting the frames is exact and costs a read of the file.

// Whether the extension is one of the MPEG audio ones.
bool isMpegAudioFile(const QString& path);

// Milliseconds as GStreamer's decoders play the stream: from the Xing or VBRI header's frame
// count less the LAME tag's encoder delay and padding, else (when the file is shorter than its
// header says, or the count is more than a file of its size can hold) from counting every
// frame. -1 when the file is not a regular file, is too large to count, or holds no MPEG audio
// frames where they should begin.
qint64 mpegAudioLengthMs(const QString& path);

// The same for the bytes of a whole file (for tests and for callers that read it already).
qint64 mpegAudioLengthMs(const QByteArray& bytes);
