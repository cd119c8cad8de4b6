#pragma once

// Fuzzing a data-file reader. Each input is a whole file whose last 16 bytes are replaced by
// the MD5 digest of the rest, so mutations get past the digest to the content checks.
//   A rejected file leaves the table in its state after a rejection, with the read message.
//   An accepted file, saved again, reads back, and saving that gives the same bytes.
// A target is one format description and KB_DATA_FILE_FUZZER; its seeds are files written by
// the real writer (run the target with KB_FUZZ_WRITE_SEEDS=<folder> to write them).

#include <QByteArray>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <vector>

template <typename Table>
struct FuzzedFormat {
    QString fileName;
    Table start;     // before the file is read
    Table rejected;  // after the file was rejected
    bool (*load)(const QString& folder, Table& table, QString& message);
    bool (*save)(const QString& folder, const Table& table, QString& message);
    std::vector<Table> (*seeds)();
};

namespace fuzzing {

// A scratch folder of this process (in memory where the system offers it).
const QString& workFolder();
// A second one, for saving tables to compare them.
const QString& compareFolder();
// Writes the input as the file, its trailer replaced by the digest of what comes before it.
void writeWithDigest(const QString& path, const uint8_t* data, size_t size);
QByteArray readFile(const QString& path);
void removeFile(const QString& path);
[[noreturn]] void fail(const char* what, const QString& detail = QString());
// The folder named by KB_FUZZ_WRITE_SEEDS, or empty.
QString seedFolder();
void finishSeeds(int count);

}  // namespace fuzzing

template <typename Table>
QByteArray savedBytes(const FuzzedFormat<Table>& format, const Table& table) {
    QString message;
    if (!format.save(fuzzing::compareFolder(), table, message)) {
        fuzzing::fail("a table could not be saved", message);
    }
    return fuzzing::readFile(fuzzing::compareFolder() + u'/' + format.fileName);
}

template <typename Table>
int fuzzDataFile(const FuzzedFormat<Table>& format, const uint8_t* data, size_t size) {
    const QString& folder = fuzzing::workFolder();
    const QString path = folder + u'/' + format.fileName;
    fuzzing::writeWithDigest(path, data, size);
    Table table = format.start;
    QString message;
    if (!format.load(folder, table, message)) {
        if (!message.startsWith(QStringLiteral("读文件失败：\n") + path)) {
            fuzzing::fail("a rejection without the read message", message);
        }
        static const QByteArray rejectedBytes = savedBytes(format, format.rejected);
        if (savedBytes(format, table) != rejectedBytes) {
            fuzzing::fail("a rejected file left data behind");
        }
        fuzzing::removeFile(path + QStringLiteral(".damaged"));
        return 0;
    }
    if (!message.isEmpty()) {
        fuzzing::fail("an accepted file with a message", message);
    }
    const QByteArray written = savedBytes(format, table);
    fuzzing::writeWithDigest(path, reinterpret_cast<const uint8_t*>(written.constData()),
                             static_cast<size_t>(written.size()));
    Table again = format.start;
    if (!format.load(folder, again, message)) {
        fuzzing::fail("what was accepted and saved does not read back", message);
    }
    if (savedBytes(format, again) != written) {
        fuzzing::fail("what was accepted does not save the same twice");
    }
    return 0;
}

template <typename Table>
void writeSeeds(const FuzzedFormat<Table>& format) {
    const QString folder = fuzzing::seedFolder();
    if (folder.isEmpty()) {
        return;
    }
    int count = 0;
    for (const Table& table : format.seeds()) {
        const QByteArray bytes = savedBytes(format, table);
        QString message;
        Table check = format.start;
        fuzzing::writeWithDigest(fuzzing::workFolder() + u'/' + format.fileName,
                                 reinterpret_cast<const uint8_t*>(bytes.constData()),
                                 static_cast<size_t>(bytes.size()));
        if (!format.load(fuzzing::workFolder(), check, message)) {
            fuzzing::fail("a seed the writer made is rejected", message);
        }
        fuzzing::writeWithDigest(folder + QStringLiteral("/seed-%1").arg(++count),
                                 reinterpret_cast<const uint8_t*>(bytes.constData()),
                                 static_cast<size_t>(bytes.size()));
    }
    fuzzing::finishSeeds(count);
}

#define KB_DATA_FILE_FUZZER(format)                                           \
    extern "C" int LLVMFuzzerInitialize(int*, char***) {                      \
        writeSeeds(format);                                                   \
        return 0;                                                             \
    }                                                                         \
    extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) { \
        return fuzzDataFile(format, data, size);                              \
    }
