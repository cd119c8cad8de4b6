#pragma once

#include <QString>

// The length of a music file as GStreamer's decoders play it: every sample decoded and
// counted, in milliseconds; -1 when it does not decode.
qint64 decodedLengthMs(const QString& path);

// A music file made by ffmpeg from a lavfi source description with extra encoder arguments;
// false when ffmpeg failed.
bool encodeWithFfmpeg(const QString& path, const QStringList& inputs, const QString& filter,
                      const QStringList& encoder);

// GStreamer's own length once the file is prerolled (an estimate for some formats).
qint64 prerolledLengthMs(const QString& path);
