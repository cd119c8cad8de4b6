#include <gtest/gtest.h>
#include <QCryptographicHash>
#include <QtEndian>

#include "core/settings/settings_file.h"
#include "helpers/temp_folder.h"

namespace {

QString settingsFileIn(const TempFolder& dir) {
    return dir.file(QStringLiteral("系统设置t"));
}

void expectAfterErrorValues(const SystemSettings& s) {
    EXPECT_EQ(s.dailyShutdownTime, (ClockTime{1, 0, 0}));
    EXPECT_EQ(s.weeklyShutdownTime, (ClockTime{1, 0, 0}));
    EXPECT_EQ(s.restartTime, (ClockTime{1, 0, 0}));
    EXPECT_EQ(s.dailyShutdownEnabled, 0);
    EXPECT_EQ(s.weeklyShutdownDays[5], 1);
    EXPECT_EQ(s.duckPercent, 60);
    EXPECT_EQ(outputDeviceName(s), kDefaultDeviceName);
}

SystemSettings customSettings() {
    SystemSettings s = firstRunSettings();
    s.dailyShutdownEnabled = 7;
    s.dailyShutdownTime = {22, 30, 5};
    s.weeklyShutdownEnabled = 1;
    s.weeklyShutdownDays[0] = 1;
    s.weeklyShutdownTime = {23, 59, 59};
    s.restartEnabled = 1;
    s.restartDays[2] = 1;
    s.restartTime = {6, 0, 0};
    s.duckPercent = 100;
    s.duckFadeOutSeconds = 10;
    s.duckFadeInSeconds = 16;
    setOutputDeviceName(s, QStringLiteral("教学楼 功放"));
    return s;
}

QByteArray fixDigest(QByteArray bytes) {
    bytes = bytes.left(628);
    return bytes + QCryptographicHash::hash(bytes, QCryptographicHash::Md5);
}

}  // namespace

TEST(SettingsFile, FirstRunValuesWithoutAFile) {
    TempFolder dir;
    SystemSettings s = firstRunSettings();
    QString message;
    ASSERT_TRUE(loadSystemSettings(dir.path(), s, message));
    EXPECT_TRUE(message.isEmpty());
    EXPECT_EQ(s.dailyShutdownTime, (ClockTime{0, 0, 0}));
    EXPECT_EQ(s.weeklyShutdownDays[5] + s.weeklyShutdownDays[6], 2);
    EXPECT_EQ(s.weeklyShutdownDays[0] + s.restartDays[5], 0);
    EXPECT_EQ(s.duckPercent, 60);
    EXPECT_EQ(s.duckFadeOutSeconds, 5);
    EXPECT_EQ(s.duckFadeInSeconds, 9);
    EXPECT_EQ(outputDeviceName(s), QStringLiteral("Default DirectSound Device"));
}

TEST(SettingsFile, RoundTripIs644BytesInFieldOrder) {
    TempFolder dir;
    QString message;
    ASSERT_TRUE(saveSystemSettings(dir.path(), customSettings(), message));
    const QByteArray bytes = readBytes(settingsFileIn(dir));
    ASSERT_EQ(bytes.size(), 644);
    EXPECT_EQ(qFromLittleEndian<qint32>(bytes.constData() + 0), 7);
    EXPECT_EQ(qFromLittleEndian<qint32>(bytes.constData() + 4), 22);
    EXPECT_EQ(qFromLittleEndian<qint32>(bytes.constData() + 48), 23);
    EXPECT_EQ(qFromLittleEndian<qint32>(bytes.constData() + 64 + 8), 1);
    EXPECT_EQ(qFromLittleEndian<qint32>(bytes.constData() + 104), 100);
    EXPECT_EQ(qFromLittleEndian<quint16>(bytes.constData() + 116), u'教');
    EXPECT_EQ(bytes.right(16), QCryptographicHash::hash(bytes.left(628), QCryptographicHash::Md5));
    SystemSettings loaded = firstRunSettings();
    ASSERT_TRUE(loadSystemSettings(dir.path(), loaded, message));
    const SystemSettings expected = customSettings();
    EXPECT_EQ(memcmp(&loaded, &expected, sizeof loaded), 0);
}

TEST(SettingsFile, AnyDamageResetsToTheAfterErrorValues) {
    TempFolder dir;
    QString message;
    ASSERT_TRUE(saveSystemSettings(dir.path(), customSettings(), message));
    const QByteArray good = readBytes(settingsFileIn(dir));
    const QString contentError =
        QStringLiteral("读文件失败：\n%1\n\n文件内容有错误").arg(settingsFileIn(dir));
    auto expectReset = [&](const QByteArray& bytes, const char* what) {
        writeBytes(settingsFileIn(dir), bytes);
        SystemSettings s = customSettings();
        EXPECT_FALSE(loadSystemSettings(dir.path(), s, message)) << what;
        EXPECT_EQ(message, contentError) << what;
        expectAfterErrorValues(s);
    };
    expectReset(good.left(643), "643 bytes");
    for (int offset = 0; offset < 644; ++offset) {
        QByteArray changed = good;
        changed[offset] = static_cast<char>(changed[offset] ^ 0x10);
        writeBytes(settingsFileIn(dir), changed);
        SystemSettings s = customSettings();
        ASSERT_FALSE(loadSystemSettings(dir.path(), s, message)) << "offset " << offset;
        ASSERT_EQ(s.restartTime, (ClockTime{1, 0, 0}));
    }
    const struct {
        int offset;
        qint32 value;
    } outOfRange[] = {{104, 24}, {104, 101}, {108, 0}, {108, 11}, {112, 1}, {112, 17},
                      {4, 24},   {8, 60},    {12, -1}, {48, 24},  {100, 60}};
    for (const auto& field : outOfRange) {
        QByteArray bytes = good;
        qToLittleEndian<qint32>(field.value, bytes.data() + field.offset);
        expectReset(fixDigest(bytes), "field out of range");
    }
}

TEST(SettingsFile, ExtraBytesLongNamesAndOddFlagsAreAccepted) {
    TempFolder dir;
    QString message;
    SystemSettings s = customSettings();
    for (int i = 0; i < 256; ++i) {
        s.outputDevice[i] = u'a';
    }
    ASSERT_TRUE(saveSystemSettings(dir.path(), s, message));
    writeBytes(settingsFileIn(dir), readBytes(settingsFileIn(dir)) + QByteArray("trailing junk"));
    SystemSettings loaded = firstRunSettings();
    ASSERT_TRUE(loadSystemSettings(dir.path(), loaded, message)) << message.toStdString();
    EXPECT_EQ(outputDeviceName(loaded).size(), 255);
    EXPECT_EQ(loaded.dailyShutdownEnabled, 7);
    ASSERT_TRUE(saveSystemSettings(dir.path(), loaded, message));
    EXPECT_EQ(readBytes(settingsFileIn(dir)).size(), 644);
}
