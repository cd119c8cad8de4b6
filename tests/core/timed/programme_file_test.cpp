#include <gtest/gtest.h>
#include <QCryptographicHash>
#include <QtEndian>

#include "core/timed/programme_file.h"
#include "helpers/programme_builders.h"
#include "helpers/temp_folder.h"

namespace {

QString fileIn(const TempFolder& dir) {
    return dir.file(QStringLiteral("定时播设置t"));
}

QByteArray withDigest(const QByteArray& body) {
    return body + QCryptographicHash::hash(body, QCryptographicHash::Md5);
}

QByteArray countBytes(quint32 n) {
    const quint32 le = qToLittleEndian(n);
    return QByteArray(reinterpret_cast<const char*>(&le), 4);
}

Programme richProgramme() {
    Programme p = makeProgramme(QStringLiteral("早操音乐 Morning"), {});
    setProgrammePath(p, QStringLiteral("/home/学校/音乐/早操"));
    p.singleFile = 0;
    p.sequential = 1;
    p.startCount = kMaxStartTimes;
    for (int i = 0; i < kMaxStartTimes; ++i) {
        p.startTimes[i] = ClockTime{i / 60 % 24, i % 60, (i * 7) % 60};
    }
    p.countByTracks = 0;
    p.trackCount = 3;
    p.secondsCount = 5400;
    p.byWeekday = 0;
    p.weekdays[2] = 0;
    p.monthDays[0] = 1;
    p.monthDays[30] = 1;
    p.dateRange = DateHourRange{2024, 2, 29, 7, 2030, 12, 31, 18};
    p.queueWhenBusy = 1;
    p.disabled = 1;
    p.volume = 25;
    return p;
}

// Loads a file holding these records under a correct digest.
bool loadRecords(const TempFolder& dir, const QList<Programme>& records, ProgrammeTable& table,
                 QString& message, quint32 count) {
    QByteArray body = countBytes(count);
    for (const Programme& p : records) {
        body += encodeProgramme(p);
    }
    writeBytes(fileIn(dir), withDigest(body));
    table.clear();
    return loadProgrammes(dir.path(), table, message);
}

}  // namespace

TEST(ProgrammeFile, EmptyTableIsTwentyBytes) {
    TempFolder dir;
    QString message;
    ASSERT_TRUE(saveProgrammes(dir.path(), ProgrammeTable(), true, message));
    EXPECT_EQ(readBytes(fileIn(dir)), withDigest(QByteArray(4, '\0')));
}

TEST(ProgrammeFile, RecordLayoutIsByteExact) {
    Programme p = richProgramme();
    p.lastStartTime = makeDateTime(2026, 3, 2, 7, 55, 0);
    const QByteArray r = encodeProgramme(p);
    ASSERT_EQ(r.size(), 7032);
    auto i32 = [&](int offset) { return qFromLittleEndian<qint32>(r.constData() + offset); };
    auto u16 = [&](int offset) { return qFromLittleEndian<quint16>(r.constData() + offset); };
    EXPECT_EQ(u16(0), u'早');
    EXPECT_EQ(u16(2 * 12), 0);
    EXPECT_EQ(i32(128), 25);
    EXPECT_EQ(i32(132), 0);
    EXPECT_EQ(u16(136), u'/');
    EXPECT_EQ(i32(656), 1);
    EXPECT_EQ(i32(660), 512);
    EXPECT_EQ(i32(664 + 12 * 100), 1);       // hour of start 100
    EXPECT_EQ(i32(664 + 12 * 100 + 4), 40);  // its minute
    EXPECT_EQ(i32(6808), 0);
    EXPECT_EQ(i32(6812), 3);
    EXPECT_EQ(i32(6816), 5400);
    EXPECT_EQ(u16(6820), 2026);
    EXPECT_EQ(u16(6820 + 4), 1);  // day of week
    EXPECT_EQ(i32(6836), 0);
    EXPECT_EQ(i32(6840 + 4 * 2), 0);
    EXPECT_EQ(i32(6868), 1);
    EXPECT_EQ(i32(6868 + 4 * 30), 1);
    EXPECT_EQ(i32(6992), 2024);
    EXPECT_EQ(i32(6992 + 28), 18);
    EXPECT_EQ(i32(7024), 1);
    EXPECT_EQ(i32(7028), 1);
    Programme back = decodeProgramme(r);
    EXPECT_EQ(encodeProgramme(back), r);
}

TEST(ProgrammeFile, RoundTripKeepsEveryFieldButTheLastStart) {
    TempFolder dir;
    ProgrammeTable table;
    Programme rich = richProgramme();
    rich.lastStartTime = makeDateTime(2026, 3, 2, 8, 0, 0);
    table.append(rich);
    table.append(makeProgramme(QStringLiteral("铃声"), {{8, 0, 0}, {8, 45, 0}}));
    QString message;
    ASSERT_TRUE(saveProgrammes(dir.path(), table, true, message));
    EXPECT_EQ(readBytes(fileIn(dir)).size(), 20 + 2 * 7032);
    ProgrammeTable loaded;
    ASSERT_TRUE(loadProgrammes(dir.path(), loaded, message)) << message.toStdString();
    ASSERT_EQ(loaded.size(), 2);
    Programme expected = rich;
    expected.lastStartTime = neverDateTime();
    EXPECT_EQ(encodeProgramme(loaded.at(0)), encodeProgramme(expected));
    EXPECT_EQ(programmeName(loaded.at(1)), QStringLiteral("铃声"));
    EXPECT_EQ(loaded.at(1).startCount, 2);
}

TEST(ProgrammeFile, MissingFileIsAnEmptyTableWithoutMessage) {
    TempFolder dir;
    ProgrammeTable table;
    QString message;
    EXPECT_TRUE(loadProgrammes(dir.path(), table, message));
    EXPECT_TRUE(table.isEmpty());
    EXPECT_TRUE(message.isEmpty());
}

TEST(ProgrammeFile, AnyBadRecordFailsTheWholeFile) {
    TempFolder dir;
    const Programme good = makeProgramme(QStringLiteral("good"), {{8, 0, 0}});
    const QString contentError =
        QStringLiteral("读文件失败：\n%1\n\n文件内容有错误").arg(fileIn(dir));
    QList<std::function<void(Programme&)>> breakers = {
        [](Programme& p) { p.volume = 24; },
        [](Programme& p) { p.volume = 101; },
        [](Programme& p) { p.startCount = 0; },
        [](Programme& p) { p.startCount = 513; },
        [](Programme& p) {
            p.startTimes[0] = ClockTime{24, 0, 0};
        },
        [](Programme& p) {
            p.startTimes[0] = ClockTime{8, 60, 0};
        },
        [](Programme& p) { p.trackCount = 0; },
        [](Programme& p) {
            p.countByTracks = 0;
            p.secondsCount = 0;
        },
        [](Programme& p) {
            for (qint32& d : p.weekdays)
                d = 0;
        },
        [](Programme& p) { p.byWeekday = 0; },
        [](Programme& p) { p.dateRange.endHour = 25; },
        [](Programme& p) { p.dateRange = {2024, 5, 1, 8, 2024, 5, 1, 8}; },
    };
    for (int i = 0; i < breakers.size(); ++i) {
        Programme bad = makeProgramme(QStringLiteral("bad"), {{9, 0, 0}});
        breakers[i](bad);
        ProgrammeTable table;
        QString message;
        EXPECT_FALSE(loadRecords(dir, {good, bad}, table, message, 2)) << "breaker " << i;
        EXPECT_TRUE(table.isEmpty()) << "breaker " << i;
        EXPECT_EQ(message, contentError);
    }
}

TEST(ProgrammeFile, CountsAndLengthsMustAgree) {
    TempFolder dir;
    const Programme good = makeProgramme(QStringLiteral("good"), {{8, 0, 0}});
    ProgrammeTable table;
    QString message;
    EXPECT_FALSE(loadRecords(dir, {}, table, message, 257));
    EXPECT_FALSE(loadRecords(dir, {good}, table, message, 2));
    EXPECT_TRUE(table.isEmpty());
    EXPECT_FALSE(loadRecords(dir, {good}, table, message, 0xFFFFFFFF));
    EXPECT_TRUE(loadRecords(dir, {good}, table, message, 1));
}

TEST(ProgrammeFile, LenientWhereTheFormatIsLenient) {
    TempFolder dir;
    Programme p = makeProgramme(QStringLiteral("no month days"), {{12, 0, 0}, {8, 0, 0}});
    p.queueWhenBusy = 7;
    p.lastStartTime = makeDateTime(2026, 3, 2, 8, 0, 0);
    for (char16_t& c : p.name) {
        c = u'x';  // no terminator: unit 63 is forced to zero
    }
    ProgrammeTable table;
    QString message;
    ASSERT_TRUE(loadRecords(dir, {p}, table, message, 1)) << message.toStdString();
    EXPECT_EQ(programmeName(table.at(0)).size(), 63);
    EXPECT_EQ(table.at(0).queueWhenBusy, 7u);
    EXPECT_EQ(table.at(0).lastStartTime, neverDateTime());
}

TEST(ProgrammeFile, ChangedDigestByteIsRejected) {
    TempFolder dir;
    ProgrammeTable table;
    table.append(makeProgramme(QStringLiteral("a"), {{8, 0, 0}}));
    QString message;
    ASSERT_TRUE(saveProgrammes(dir.path(), table, true, message));
    QByteArray bytes = readBytes(fileIn(dir));
    bytes[bytes.size() - 1] = static_cast<char>(bytes[bytes.size() - 1] ^ 0x80);
    writeBytes(fileIn(dir), bytes);
    ProgrammeTable loaded;
    EXPECT_FALSE(loadProgrammes(dir.path(), loaded, message));
    EXPECT_TRUE(loaded.isEmpty());
}
