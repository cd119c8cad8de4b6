#include "support/temp_folder.h"

#include <unistd.h>
#include <QFile>
#include <cstdlib>

TempFolder::TempFolder() : dir_(QStringLiteral("/tmp/kb-test-XXXXXX")) {}

QByteArray readBytes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return QByteArray();
    }
    return file.readAll();
}

void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        file.write(bytes);
    }
}

int runShell(const QString& command) {
    return std::system(command.toLocal8Bit().constData());
}

bool runningAsRoot() {
    return ::geteuid() == 0;
}

void writeSilentWav(const QString& path, int milliseconds) {
    const int rate = 8000;
    const quint32 dataBytes = static_cast<quint32>(rate * milliseconds / 1000 * 2);
    QByteArray wav("RIFF");
    auto u32 = [&](quint32 v) { wav.append(reinterpret_cast<const char*>(&v), 4); };
    auto u16 = [&](quint16 v) { wav.append(reinterpret_cast<const char*>(&v), 2); };
    u32(36 + dataBytes);
    wav.append("WAVEfmt ");
    u32(16);
    u16(1);  // PCM
    u16(1);  // mono
    u32(rate);
    u32(rate * 2);
    u16(2);
    u16(16);
    wav.append("data");
    u32(dataBytes);
    wav.append(QByteArray(static_cast<int>(dataBytes), '\0'));
    writeBytes(path, wav);
}
