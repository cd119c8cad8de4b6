#include "core/timed/play_log.h"

#include <cstdio>

#include "core/storage/folders.h"
#include "core/storage/log_file.h"
#include "core/support/date_text.h"

namespace {

QByteArray utf16le(const QString& text) {
    QByteArray bytes;
    bytes.reserve(text.size() * 2);
    for (const QChar c : text) {
        bytes.append(static_cast<char>(c.unicode() & 0xff));
        bytes.append(static_cast<char>(c.unicode() >> 8));
    }
    return bytes;
}

}  // namespace

bool appendPlayLog(const QString& dataFolder, const LocalDateTime& time, const QString& text,
                   QString& error) {
    const auto compose = [&](const LogTail& existing) {
        QByteArray bytes;
        if (!existing.append) {
            bytes = QByteArray("\xFF\xFE", 2);
        } else if (existing.lineOpen) {
            // A line cut short by a crash or a full disk gets its end, so the next one stands
            // on its own; an odd byte first completes the cut character.
            bytes = existing.oddSize ? QByteArray(1, '\0') : QByteArray();
            bytes += utf16le(QStringLiteral("\r\n"));
        }
        bytes +=
            utf16le(formatTimestamp(time) + QStringLiteral("   ") + text + QStringLiteral("\r\n"));
        return bytes;
    };
    LogFailure failure;
    if (appendToLog(dataFolder, kPlayLogFileName, kPlayLogLimitBytes, compose, failure)) {
        return true;
    }
    const QString path = joinPath(dataFolder, kPlayLogFileName);
    error = failure.duringWrite
                ? QStringLiteral("写日志失败 ◆ %1 ◆ %2").arg(failure.what, path)
                : QStringLiteral("写日志失败 ◆ %1 ◆ %2 ◆ 技术支持:帮助栏里有联系方式")
                      .arg(failure.what, path);
    return false;
}

bool readPlayLogLines(const QString& path, QStringList& lines, QString& error) {
    lines.clear();
    QByteArray bytes;
    qint64 from = 0;
    if (!readLogEnd(path, 2 * kPlayLogLimitBytes, bytes, from, error)) {
        return false;
    }
    const bool marked = from == 0 && bytes.startsWith("\xFF\xFE");
    const QString text =
        QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.constData() + (marked ? 2 : 0)),
                           (bytes.size() - (marked ? 2 : 0)) / 2);
    lines = text.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    if (from > 0 && !lines.isEmpty()) {
        lines.removeFirst();  // begun in the middle of a line
    }
    return true;
}

QString PlayLog::path() const {
    return joinPath(dataFolder_, kPlayLogFileName);
}

void PlayLog::echo(const LocalDateTime& time, const QString& text) const {
    if (echo_) {
        const QByteArray line = (formatTimestamp(time) + QStringLiteral("   ") + text).toUtf8();
        std::fprintf(stdout, "%s\n", line.constData());
        std::fflush(stdout);
    }
}

void PlayLog::reportTimedEvent(const LocalDateTime& time, const QString& text) {
    rows_.append(time, text);
    QString error;
    const bool written = appendPlayLog(dataFolder_, time, text, error);
    // Printed once the line is in the file, so a reader of the output finds it there.
    echo(time, text);
    if (!written) {
        rows_.append(time, error);
        echo(time, error);
    }
    emit reported(time, text);
}
