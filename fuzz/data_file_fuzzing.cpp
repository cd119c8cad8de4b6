#include "data_file_fuzzing.h"

#include <fcntl.h>
#include <unistd.h>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>

namespace fuzzing {

namespace {

QTemporaryDir& scratch() {
    // tmpfs where there is one: every input is written, read and saved through real files.
    static QTemporaryDir dir(QDir(QStringLiteral("/dev/shm")).exists()
                                 ? QStringLiteral("/dev/shm/kb-fuzz-XXXXXX")
                                 : QDir::tempPath() + QStringLiteral("/kb-fuzz-XXXXXX"));
    if (!dir.isValid()) {
        fail("no scratch folder", dir.errorString());
    }
    return dir;
}

void writeAll(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(bytes) != bytes.size()) {
        fail("cannot write", path);
    }
}

QString makeFolder(const char* name) {
    const QString path = scratch().path() + u'/' + QString::fromLatin1(name);
    QDir().mkpath(path);
    return path;
}

}  // namespace

const QString& workFolder() {
    static const QString folder = makeFolder("data");
    return folder;
}

const QString& compareFolder() {
    static const QString folder = makeFolder("compare");
    return folder;
}

void writeWithDigest(const QString& path, const uint8_t* data, size_t size) {
    QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    if (bytes.size() >= 16) {
        bytes.chop(16);
        bytes += QCryptographicHash::hash(bytes, QCryptographicHash::Md5);
    }
    writeAll(path, bytes);
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        fail("cannot read", path);
    }
    return file.readAll();
}

void removeFile(const QString& path) {
    QFile::remove(path);
}

void fail(const char* what, const QString& detail) {
    std::fprintf(stderr, "FUZZ FAILURE: %s\n%s\n", what, detail.toUtf8().constData());
    std::abort();
}

QString seedFolder() {
    return QString::fromLocal8Bit(qgetenv("KB_FUZZ_WRITE_SEEDS"));
}

void finishSeeds(int count) {
    std::printf("%d seeds written to %s\n", count, seedFolder().toUtf8().constData());
    std::exit(0);
}

}  // namespace fuzzing
