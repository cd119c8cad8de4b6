#include "core/settings/settings_file.h"

#include "core/storage/data_file.h"
#include "core/support/byte_codec.h"

namespace {

// Every field once: the file has one size.
constexpr qint64 kFileBytes = 4 + 12 + 4 + 28 + 12 + 4 + 28 + 12 + 4 + 4 + 4 + 512 + kDigestBytes;

QByteArray clockBlock(const ClockTime& t) {
    QByteArray out;
    ByteWriter(out).clock(t);
    return out;
}

QByteArray flagsBlock(const qint32 (&flags)[7]) {
    QByteArray out;
    ByteWriter(out).i32s(flags);
    return out;
}

QByteArray deviceBlock(const char16_t (&device)[256]) {
    QByteArray out;
    ByteWriter(out).text(device);
    return out;
}

// Reads one field in its own read and applies its check at once.
class FieldReader {
  public:
    explicit FieldReader(DataFileReader& reader) : reader_(reader) {}

    void i32(qint32& v, qint32 lower, qint32 upper) {
        if (read(4)) {
            v = ByteReader(block_).i32();
            if (v < lower || v > upper) {
                reader_.reject();
            }
        }
    }
    void i32(qint32& v) { i32(v, INT32_MIN, INT32_MAX); }
    void clock(ClockTime& t) {
        if (read(12)) {
            t = ByteReader(block_).clock();
            if (!isValidClockTime(t)) {
                reader_.reject();
            }
        }
    }
    void flags(qint32 (&v)[7]) {
        if (read(28)) {
            ByteReader(block_).i32s(v);
        }
    }
    void device(char16_t (&v)[256]) {
        if (read(512)) {
            ByteReader(block_).text(v);
            v[255] = 0;
        }
    }

  private:
    bool read(qsizetype size) { return !reader_.failed() && reader_.read(block_, size); }
    DataFileReader& reader_;
    QByteArray block_;
};

}  // namespace

bool saveSystemSettings(const QString& dataFolder, const SystemSettings& s, QString& message) {
    DataFileWriter writer(dataFolder, kSettingsFileName, MidWriteWording::Support, false);
    if (!writer.open(message)) {
        return false;
    }
    writer.write(i32Block(s.dailyShutdownEnabled));
    writer.write(clockBlock(s.dailyShutdownTime));
    writer.write(i32Block(s.weeklyShutdownEnabled));
    writer.write(flagsBlock(s.weeklyShutdownDays));
    writer.write(clockBlock(s.weeklyShutdownTime));
    writer.write(i32Block(s.restartEnabled));
    writer.write(flagsBlock(s.restartDays));
    writer.write(clockBlock(s.restartTime));
    writer.write(i32Block(s.duckPercent));
    writer.write(i32Block(s.duckFadeOutSeconds));
    writer.write(i32Block(s.duckFadeInSeconds));
    writer.write(deviceBlock(s.outputDevice));
    return writer.finish(message);
}

bool loadSystemSettings(const QString& dataFolder, SystemSettings& s, QString& message) {
    // Bytes after the digest have always been ignored; they are never read.
    DataFileReader reader(dataFolder, kSettingsFileName, kFileBytes,
                          DataFileReader::LongerFiles::ExtraBytesIgnored);
    if (const auto opened = reader.open(message); opened != DataFileReader::Opened::Open) {
        return opened == DataFileReader::Opened::Absent;
    }
    FieldReader field(reader);
    field.i32(s.dailyShutdownEnabled);
    field.clock(s.dailyShutdownTime);
    field.i32(s.weeklyShutdownEnabled);
    field.flags(s.weeklyShutdownDays);
    field.clock(s.weeklyShutdownTime);
    field.i32(s.restartEnabled);
    field.flags(s.restartDays);
    field.clock(s.restartTime);
    field.i32(s.duckPercent, 25, 100);
    field.i32(s.duckFadeOutSeconds, 1, 10);
    field.i32(s.duckFadeInSeconds, 2, 16);
    field.device(s.outputDevice);
    // The trailer follows; any bytes after it are never read.
    if (!reader.finish(message)) {
        resetSystemSettings(s);
        return false;
    }
    return true;
}
