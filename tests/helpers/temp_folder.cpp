#include "helpers/temp_folder.h"

#include <sys/stat.h>
#include <unistd.h>
#include <QFile>
#include <csignal>
#include <cstdio>
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

bool makeFifo(const QString& path) {
    return ::mkfifo(QFile::encodeName(path).constData(), 0644) == 0;
}

bool makeLink(const QString& target, const QString& link) {
    return ::symlink(QFile::encodeName(target).constData(), QFile::encodeName(link).constData()) ==
           0;
}

QString writeRawNamed(const QString& folder, const QByteArray& rawName, const QByteArray& bytes) {
    const QByteArray path = QFile::encodeName(folder) + '/' + rawName;
    FILE* file = std::fopen(path.constData(), "wb");
    if (file != nullptr) {
        std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), file);
        std::fclose(file);
    }
    return QFile::decodeName(path);
}

namespace {

void reportHang(int) {
    static const char text[] = "\nHangGuard: the test blocked; ending it\n";
    [[maybe_unused]] const ssize_t written = ::write(2, text, sizeof text - 1);
    ::_exit(70);
}

}  // namespace

HangGuard::HangGuard(unsigned seconds) {
    std::signal(SIGALRM, reportHang);
    ::alarm(seconds);
}

HangGuard::~HangGuard() {
    ::alarm(0);
}
