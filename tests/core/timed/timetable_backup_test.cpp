#include <gtest/gtest.h>
#include <sys/stat.h>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QSignalSpy>
#include <cstring>

#include "core/holidays/holiday_file.h"
#include "core/support/text.h"
#include "core/timed/programme_file.h"
#include "core/timed/timetable_switch.h"
#include "helpers/engine_harness.h"
#include "helpers/programme_builders.h"

namespace {

const QString kProgrammes = QStringLiteral("定时播设置t");
const QString kHolidays = QStringLiteral("节假日和调休t");

Timetable sampleTimetable(const QString& first = QStringLiteral("早操")) {
    Timetable t;
    t.programmes.append(makeProgramme(first, {{7, 55, 0}}));
    t.programmes.append(makeProgramme(QStringLiteral("眼保健操"), {{10, 0, 0}, {15, 0, 0}}));
    Holiday h = blankHoliday();
    setFieldText(h.name, QStringLiteral("劳动节"));
    h.range = {2026, 5, 1, 0, 2026, 5, 5, 24};
    t.calendar.holidays.push_back(h);
    AdjustedDay a = blankAdjustedDay();
    a.dateA = {2026, 4, 26};
    a.dateB = {2026, 4, 30};
    setFieldText(a.remark, QStringLiteral("劳动节调休"));
    t.calendar.adjustedDays.push_back(a);
    return t;
}

void saveTimetable(const QString& dataFolder, const Timetable& t) {
    QString message;
    ASSERT_TRUE(saveProgrammes(dataFolder, t.programmes, true, message));
    ASSERT_TRUE(saveHolidayCalendar(dataFolder, t.calendar, true, message));
}

// Python's zipfile, as an archive manager other than ours.
QString python(const QString& script, const QStringList& arguments) {
    QProcess process;
    process.start(QStringLiteral("python3"), QStringList{QStringLiteral("-c"), script} + arguments);
    process.waitForFinished(20000);
    return QString::fromUtf8(process.readAllStandardOutput() + process.readAllStandardError())
        .trimmed();
}

struct DataFiles {
    QByteArray programmes;
    QByteArray holidays;
    bool operator==(const DataFiles&) const = default;
};

DataFiles filesIn(const QString& dataFolder) {
    return {readBytes(dataFolder + u'/' + kProgrammes), readBytes(dataFolder + u'/' + kHolidays)};
}

}  // namespace

TEST(TimetableBackup, AnyArchiveManagerOpensItAndARestoreReproducesBothFiles) {
    TempFolder a;
    TempFolder b;
    TempFolder archives;
    const Timetable timetable = sampleTimetable();
    saveTimetable(a.path(), timetable);
    const QString archive = archives.file(suggestedBackupName(QDate(2026, 3, 2)));
    EXPECT_TRUE(archive.endsWith(QStringLiteral("/节目备份_2026-03-02.zip")));
    QString message;
    ASSERT_TRUE(writeTimetableBackup(archive, timetable.programmes, timetable.calendar, message))
        << message.toStdString();
    EXPECT_EQ(QDir(archives.path()).entryList(QDir::Files | QDir::Hidden).size(), 1)
        << "no temporary is left";
    EXPECT_EQ(python(QStringLiteral("import sys, zipfile\n"
                                    "z = zipfile.ZipFile(sys.argv[1])\n"
                                    "print(z.testzip(), '|'.join(z.namelist()))"),
                     {archive}),
              QStringLiteral("None 定时播设置t|节假日和调休t"));
    // The entries are the data files as the writers wrote them.
    EXPECT_EQ(python(QStringLiteral("import sys, zipfile\n"
                                    "z = zipfile.ZipFile(sys.argv[1])\n"
                                    "print(z.read('定时播设置t') == open(sys.argv[2], 'rb').read(),"
                                    " z.read('节假日和调休t') == open(sys.argv[3], 'rb').read())"),
                     {archive, a.file(kProgrammes), a.file(kHolidays)}),
              QStringLiteral("True True"));

    Timetable restored;
    ASSERT_TRUE(readTimetableBackup(archive, restored, message)) << message.toStdString();
    ASSERT_TRUE(writeTimetableFiles(b.path(), restored, ProgrammeTable(), message));
    EXPECT_EQ(filesIn(b.path()), filesIn(a.path()));
    EXPECT_FALSE(filesIn(b.path()).programmes.isEmpty());
}

TEST(TimetableBackup, DamagedOrForeignArchivesAreRefusedAndChangeNothing) {
    EngineHarness harness;
    harness.start(at(7, 59, 0));
    const QString data = harness.folder.file(QStringLiteral("data"));
    const Timetable current = sampleTimetable(QStringLiteral("现在的"));
    saveTimetable(data, current);
    harness.addProgramme(QStringLiteral("现在的"), harness.musicFile(QStringLiteral("a.mp3")),
                         {{8, 0, 0}});
    TimetableSwitch timetable(data, harness.table, harness.calendar, harness.runs, harness.clock);
    QSignalSpy replaced(&timetable, &TimetableSwitch::timetableReplaced);
    harness.runUntil(at(8, 0, 1));
    ASSERT_FALSE(harness.runs.isEmpty());
    const DataFiles before = filesIn(data);

    TempFolder archives;
    const QString good = archives.file(QStringLiteral("good.zip"));
    const Timetable other = sampleTimetable(QStringLiteral("另一个"));
    QString message;
    ASSERT_TRUE(writeTimetableBackup(good, other.programmes, other.calendar, message));
    const QByteArray zip = readBytes(good);
    struct Case {
        QString name;
        QString expected;  // the message
    };
    std::vector<Case> cases;
    const auto add = [&](const QString& name, const QByteArray& bytes, const QString& expected) {
        writeBytes(archives.file(name), bytes);
        cases.push_back({archives.file(name), expected});
    };
    const auto content = [&](const QString& path) {
        return QStringLiteral("读文件失败：\n%1\n\n文件内容有错误").arg(path);
    };
    add(QStringLiteral("half.zip"), zip.left(zip.size() / 2),
        content(archives.file(QStringLiteral("half.zip"))));
    add(QStringLiteral("cut.zip"), zip.left(zip.size() - 10),
        content(archives.file(QStringLiteral("cut.zip"))));
    add(QStringLiteral("notes.zip"), "not an archive at all\n",
        content(archives.file(QStringLiteral("notes.zip"))));
    const QString oneFile = archives.file(QStringLiteral("one.zip"));
    python(QStringLiteral("import sys, zipfile\n"
                          "src = zipfile.ZipFile(sys.argv[1])\n"
                          "with zipfile.ZipFile(sys.argv[2], 'w') as z:\n"
                          "    z.writestr('定时播设置t', src.read('定时播设置t'))"),
           {good, oneFile});
    cases.push_back({oneFile, content(oneFile + QStringLiteral("/节假日和调休t"))});
    const QString badDigest = archives.file(QStringLiteral("digest.zip"));
    python(QStringLiteral("import sys, zipfile\n"
                          "src = zipfile.ZipFile(sys.argv[1])\n"
                          "data = bytearray(src.read('定时播设置t'))\n"
                          "data[-1] ^= 0xff\n"
                          "with zipfile.ZipFile(sys.argv[2], 'w') as z:\n"
                          "    z.writestr('定时播设置t', bytes(data))\n"
                          "    z.writestr('节假日和调休t', src.read('节假日和调休t'))"),
           {good, badDigest});
    cases.push_back({badDigest, content(badDigest + QStringLiteral("/定时播设置t"))});
    const QString missing = archives.file(QStringLiteral("missing.zip"));
    cases.push_back(
        {missing, QStringLiteral("读文件失败：\n%1\n\n%2\n\n技术支持 - 帮助栏里有联系方式")
                      .arg(missing, QString::fromLocal8Bit(strerror(ENOENT)))});
    const QString fifo = archives.file(QStringLiteral("fifo.zip"));
    ASSERT_EQ(runShell(QStringLiteral("mkfifo '%1'").arg(fifo)), 0);
    cases.push_back({fifo, QStringLiteral("读文件失败：\n%1\n\n%2\n\n技术支持 - 帮助栏里有联系方式")
                               .arg(fifo, QString::fromLocal8Bit(strerror(EINVAL)))});

    for (const Case& c : cases) {
        QString refusal;
        EXPECT_FALSE(timetable.restore(c.name, refusal)) << c.name.toStdString();
        EXPECT_EQ(refusal, c.expected);
        EXPECT_EQ(filesIn(data), before) << c.name.toStdString();
    }
    EXPECT_EQ(replaced.count(), 0);
    ASSERT_EQ(harness.table.size(), 1);
    EXPECT_EQ(programmeName(harness.table.at(0)), QStringLiteral("现在的"));
    EXPECT_FALSE(harness.runs.isEmpty()) << "a refused archive stops nothing";
    ASSERT_TRUE(timetable.restore(good, message)) << message.toStdString();
    EXPECT_EQ(replaced.count(), 1);
}

TEST(TimetableBackup, ARestoreStopsWhatPlaysAndTheNewTimetablePlaysFromItsNextStart) {
    EngineHarness harness;
    harness.start(at(7, 59, 0));
    const QString data = harness.folder.file(QStringLiteral("data"));
    harness.addProgramme(QStringLiteral("夏季早操"), harness.musicFile(QStringLiteral("a.mp3")),
                         {{8, 0, 0}});
    TimetableSwitch timetable(data, harness.table, harness.calendar, harness.runs, harness.clock);
    harness.runUntil(at(8, 0, 3));
    ASSERT_FALSE(harness.runs.isEmpty());

    // The winter timetable starts at the same time and again later.
    Timetable winter;
    winter.programmes.append(makeProgramme(QStringLiteral("冬季早操"), {{8, 0, 0}, {8, 10, 0}}));
    setProgrammePath(winter.programmes[0], harness.musicFile(QStringLiteral("b.mp3")));
    TempFolder archives;
    const QString archive = archives.file(QStringLiteral("winter.zip"));
    QString message;
    ASSERT_TRUE(writeTimetableBackup(archive, winter.programmes, winter.calendar, message));
    harness.log.events.clear();
    ASSERT_TRUE(timetable.restore(archive, message)) << message.toStdString();
    EXPECT_TRUE(harness.runs.isEmpty());
    ASSERT_EQ(harness.log.texts().size(), 1);
    EXPECT_EQ(harness.log.texts()[0],
              QStringLiteral("夏季早操 ◆ 终止播放... ◆ 作息表切换: 已还原备份"));
    ASSERT_EQ(harness.table.size(), 1);
    EXPECT_EQ(programmeName(harness.table.at(0)), QStringLiteral("冬季早操"));
    ProgrammeTable onDisk;
    ASSERT_TRUE(loadProgrammes(data, onDisk, message));
    EXPECT_EQ(programmeName(onDisk.at(0)), QStringLiteral("冬季早操"));

    harness.runUntil(at(8, 9, 59));
    EXPECT_TRUE(harness.runs.isEmpty()) << "the start that already passed does not ring again";
    harness.runUntil(at(8, 10, 1));
    EXPECT_TRUE(harness.log.texts().contains(QStringLiteral("冬季早操 ◆ 开始播放")))
        << harness.log.texts().join(u'\n').toStdString();
}

TEST(TimetableBackup, ASecondWriteThatFailsPutsTheFirstFileBack) {
    if (!runningAsRoot()) {
        GTEST_SKIP() << "mounting a small tmpfs needs root";
    }
    TempFolder dir;
    const QString mount = dir.file(QStringLiteral("small"));
    QDir().mkpath(mount);
    if (runShell(QStringLiteral("mount -t tmpfs -o size=96k tmpfs '%1' 2>/dev/null").arg(mount)) !=
        0) {
        GTEST_SKIP() << "tmpfs cannot be mounted here";
    }
    const Timetable old = sampleTimetable(QStringLiteral("旧的"));
    saveTimetable(mount, old);
    const DataFiles before = filesIn(mount);
    // A new timetable whose holiday file cannot fit in what is left.
    Timetable next = sampleTimetable(QStringLiteral("新的"));
    for (int i = 0; i < 127; ++i) {
        next.calendar.holidays.push_back(next.calendar.holidays.front());
        next.calendar.adjustedDays.push_back(next.calendar.adjustedDays.front());
    }
    runShell(
        QStringLiteral("dd if=/dev/zero of='%1/filler' bs=1k count=48 2>/dev/null").arg(mount));
    QString message;
    EXPECT_FALSE(writeTimetableFiles(mount, next, old.programmes, message));
    EXPECT_TRUE(message.startsWith(QStringLiteral("写文件中途出错：\n") + mount +
                                   QStringLiteral("/节假日和调休t")))
        << message.toStdString();
    EXPECT_EQ(filesIn(mount), before);
    runShell(QStringLiteral("umount '%1'").arg(mount));
}

TEST(TimetableBackup, ARestoreThatCannotWriteBothFilesReplacesNeither) {
    if (!runningAsRoot()) {
        GTEST_SKIP() << "mounting a small tmpfs needs root";
    }
    TempFolder dir;
    const QString mount = dir.file(QStringLiteral("small"));
    QDir().mkpath(mount);
    if (runShell(QStringLiteral("mount -t tmpfs -o size=96k tmpfs '%1' 2>/dev/null").arg(mount)) !=
        0) {
        GTEST_SKIP() << "tmpfs cannot be mounted here";
    }
    const Timetable old = sampleTimetable(QStringLiteral("旧的"));
    saveTimetable(mount, old);
    const DataFiles before = filesIn(mount);
    struct stat programmesBefore {};
    ASSERT_EQ(::stat(QFile::encodeName(mount + u'/' + kProgrammes).constData(), &programmesBefore),
              0);
    // The new programme file fits on the nearly full disk; the new holiday file does not.
    Timetable next = sampleTimetable(QStringLiteral("新的"));
    for (int i = 0; i < 127; ++i) {
        next.calendar.holidays.push_back(next.calendar.holidays.front());
        next.calendar.adjustedDays.push_back(next.calendar.adjustedDays.front());
    }
    runShell(
        QStringLiteral("dd if=/dev/zero of='%1/filler' bs=1k count=48 2>/dev/null").arg(mount));
    QString message;
    EXPECT_FALSE(writeTimetableFiles(mount, next, old.programmes, message));
    // The old programme file was never replaced, not even for a moment: nothing had to be
    // written back (which a full disk may refuse).
    struct stat programmesAfter {};
    ASSERT_EQ(::stat(QFile::encodeName(mount + u'/' + kProgrammes).constData(), &programmesAfter),
              0);
    EXPECT_EQ(programmesAfter.st_ino, programmesBefore.st_ino);
    EXPECT_EQ(filesIn(mount), before);
    EXPECT_EQ(QDir(mount).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot),
              (QStringList{QStringLiteral("filler"), kProgrammes, kHolidays}));
    runShell(QStringLiteral("umount '%1'").arg(mount));
}

TEST(TimetableBackup, AnArchiveWithFarMoreEntriesThanABackupIsRefused) {
    TempFolder dir;
    const QString backup = dir.file(QStringLiteral("backup.zip"));
    const QString crowded = dir.file(QStringLiteral("crowded.zip"));
    const Timetable t = sampleTimetable();
    QString message;
    ASSERT_TRUE(writeTimetableBackup(backup, t.programmes, t.calendar, message));
    // The backup's two files and 100,000 empty ones beside them.
    EXPECT_EQ(python(QStringLiteral("import sys, zipfile\n"
                                    "with zipfile.ZipFile(sys.argv[1]) as a, "
                                    "zipfile.ZipFile(sys.argv[2], 'w') as b:\n"
                                    "    for info in a.infolist(): b.writestr(info, a.read(info))\n"
                                    "    for i in range(100000): b.writestr('x/%d' % i, b'')\n"),
                     {backup, crowded}),
              QString());
    Timetable read;
    EXPECT_FALSE(readTimetableBackup(crowded, read, message));
    EXPECT_EQ(message, QStringLiteral("读文件失败：\n%1\n\n文件内容有错误").arg(crowded));
    EXPECT_TRUE(read.programmes.items().empty());
}
