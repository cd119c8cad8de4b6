#include "helpers/tone_files.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QProcess>
#include <QTemporaryDir>

namespace {

QStringList encoderArguments(const QString& extension) {
    static const QHash<QString, QStringList> arguments = {
        {QStringLiteral("mp3"), {"-c:a", "libmp3lame", "-b:a", "128k", "-f", "mp3"}},
        {QStringLiteral("mp2"), {"-c:a", "mp2", "-f", "mp2"}},
        {QStringLiteral("m1a"), {"-c:a", "mp2", "-f", "mp2"}},
        {QStringLiteral("m2a"), {"-ar", "22050", "-c:a", "mp2", "-f", "mp2"}},
        {QStringLiteral("mpa"), {"-c:a", "libmp3lame", "-f", "mp3"}},
        {QStringLiteral("wav"), {"-c:a", "pcm_s16le", "-f", "wav"}},
        {QStringLiteral("wma"), {"-c:a", "wmav2", "-f", "asf"}},
        {QStringLiteral("m4a"), {"-c:a", "aac", "-f", "ipod"}},
        {QStringLiteral("aac"), {"-c:a", "aac", "-f", "adts"}},
        {QStringLiteral("flac"), {"-c:a", "flac", "-f", "flac"}},
        {QStringLiteral("ogg"), {"-c:a", "libvorbis", "-f", "ogg"}},
        {QStringLiteral("tta"), {"-c:a", "tta", "-f", "tta"}},
        {QStringLiteral("wv"), {"-c:a", "wavpack", "-f", "wv"}},
    };
    return arguments.value(extension);
}

}  // namespace

QString toneFolder() {
    static QTemporaryDir folder(QDir::tempPath() + QStringLiteral("/kb-tones-XXXXXX"));
    return folder.path();
}

QStringList encodableExtensions() {
    QStringList result;
    for (const char* ext : {"mp3", "mp2", "m1a", "m2a", "mpa", "wav", "wma", "m4a", "aac", "flac",
                            "ogg", "tta", "wv"}) {
        if (!toneFile(QString::fromLatin1(ext)).isEmpty()) {
            result.append(QString::fromLatin1(ext));
        }
    }
    return result;
}

QString toneFile(const QString& extension, double seconds, int frequency) {
    const QString path = QStringLiteral("%1/tone-%2-%3ms.%4")
                             .arg(toneFolder())
                             .arg(frequency)
                             .arg(qRound(seconds * 1000))
                             .arg(extension);
    if (QFileInfo::exists(path)) {
        return path;
    }
    const QStringList encoder = encoderArguments(extension);
    if (encoder.isEmpty()) {
        return QString();
    }
    QStringList arguments{QStringLiteral("-loglevel"),
                          QStringLiteral("error"),
                          QStringLiteral("-y"),
                          QStringLiteral("-f"),
                          QStringLiteral("lavfi"),
                          QStringLiteral("-i"),
                          QStringLiteral("sine=frequency=%1:duration=%2:sample_rate=44100")
                              .arg(frequency)
                              .arg(seconds),
                          QStringLiteral("-ac"),
                          QStringLiteral("2")};
    arguments += encoder;
    arguments.append(path);
    QProcess ffmpeg;
    ffmpeg.start(QStringLiteral("ffmpeg"), arguments);
    if (!ffmpeg.waitForFinished(60000) || ffmpeg.exitCode() != 0) {
        QFile::remove(path);
        return QString();
    }
    return path;
}
