#include <gtest/gtest.h>
#include <QDir>

#include "core/playback/volume_scale.h"
#include "core/support/music_files.h"
#include "helpers/engine_harness.h"

TEST(RunEngine, ProgressTextsForPassesTracksAndSeconds) {
    EngineHarness h;
    h.addProgramme(QStringLiteral("passes"), h.musicFile(QStringLiteral("a.mp3"), 2'000),
                   {{8, 0, 0}}, true, 3);
    h.start(at(8, 0, 0));
    h.runForSeconds(8);
    EXPECT_EQ(h.rows.progressHistory, (QStringList{QStringLiteral("1/3遍"), QStringLiteral("2/3遍"),
                                                   QStringLiteral("3/3遍")}));
    EXPECT_EQ(h.log.lines(), (QStringList{QStringLiteral("08:00:00 passes ◆ 开始播放"),
                                          QStringLiteral("08:00:06 passes ◆ 播放结束")}));
    // Each new pass starts silent, from the beginning, and fades in again.
    const PlayerRecord& player = *h.backend.players[0];
    EXPECT_EQ(player.seeks, 2);
    EXPECT_EQ(std::count(player.volumes.begin(), player.volumes.end(), -10000), 3);

    EngineHarness folder;
    folder.backend.script.defaultMs = 2'000;
    folder.addProgramme(
        QStringLiteral("tracks"),
        folder.musicFolder(QStringLiteral("f"), {QStringLiteral("x.mp3"), QStringLiteral("y.mp3")}),
        {{8, 0, 0}}, true, 2);
    folder.start(at(8, 0, 0));
    folder.runForSeconds(1);
    EXPECT_EQ(folder.rows.rows()[0].progress, QStringLiteral("1/2首"));
    EXPECT_EQ(folder.rows.rows()[0].track, QStringLiteral("x.mp3"));
    folder.runForSeconds(2);
    EXPECT_EQ(folder.rows.rows()[0].progress, QStringLiteral("2/2首"));
    EXPECT_EQ(folder.rows.rows()[0].track, QStringLiteral("y.mp3"));

    EngineHarness seconds;
    seconds.addProgramme(QStringLiteral("lesson"), seconds.musicFile(QStringLiteral("a.mp3")),
                         {{8, 0, 0}}, false, 600);
    seconds.start(at(8, 1, 5));  // joins late
    seconds.runForSeconds(0.1);
    EXPECT_EQ(seconds.rows.rows()[0].progress, QStringLiteral("01:05 / 10:00"));
}

TEST(RunEngine, FiveSecondRunFadesFromItsFirstTick) {
    EngineHarness h;
    h.addProgramme(QStringLiteral("bell"), h.musicFile(QStringLiteral("bell.mp3")), {{8, 0, 0}},
                   false, 5);
    h.start(at(8, 0, 0));
    h.runForSeconds(7);
    EXPECT_EQ(h.log.lines(), (QStringList{QStringLiteral("08:00:00 bell ◆ 开始播放"),
                                          QStringLiteral("08:00:05 bell ◆ 播放结束")}));
    const std::vector<int>& v = h.backend.players[0]->volumes;
    // After the fade-in, the level only goes down, one step per tick.
    const size_t fadeStart = 21;
    ASSERT_GT(v.size(), fadeStart + 90);
    for (size_t i = fadeStart + 1; i < v.size(); ++i) {
        ASSERT_LE(v[i], v[i - 1]) << i;
    }
    EXPECT_LT(v[fadeStart + 50], volumeToAttenuation(45));
}

TEST(RunEngine, SecondsRunLoopsShortMusicAndEndsOnTime) {
    EngineHarness h;
    h.addProgramme(QStringLiteral("exercise"), h.musicFile(QStringLiteral("song.mp3"), 180'000),
                   {{8, 0, 0}}, false, 600);
    h.start(at(8, 0, 0));
    h.runUntil(at(8, 9, 52));
    const PlayerRecord& player = *h.backend.players[0];
    EXPECT_EQ(player.seeks, 3);  // restarted at 3, 6 and 9 minutes
    EXPECT_EQ(player.volumes.back(), volumeToAttenuation(80)) << "not fading before 593 s";
    h.runUntil(at(8, 9, 54));
    EXPECT_LT(player.volumes.back(), volumeToAttenuation(80)) << "fading from 593 s";
    h.runUntil(at(8, 10, 30));
    EXPECT_EQ(h.log.lines(), (QStringList{QStringLiteral("08:00:00 exercise ◆ 开始播放"),
                                          QStringLiteral("08:10:00 exercise ◆ 播放结束")}));
    EXPECT_EQ(h.backend.players.size(), 1u);
}

TEST(RunEngine, QueuedSecondsRunPlaysOnlyWhatIsLeftOfItsTime) {
    EngineHarness h;
    h.addProgramme(QStringLiteral("long"), h.musicFile(QStringLiteral("a.mp3"), 90'000),
                   {{8, 0, 0}});
    h.addProgramme(QStringLiteral("short"), h.musicFile(QStringLiteral("b.mp3")), {{8, 0, 10}},
                   false, 60, true);
    h.start(at(8, 0, 0));
    h.runUntil(at(8, 2, 0));
    // Its time was over when it got its turn: it starts and fades out at once, within 7 s.
    EXPECT_EQ(
        h.log.lines(),
        (QStringList{
            QStringLiteral("08:00:00 long ◆ 开始播放"),
            QStringLiteral(
                "08:00:10 short ◆ 排队等候 ◆ 等正在播的播完 ◆ 参看:节目属性→准时播/可延迟"),
            QStringLiteral("08:01:30 long ◆ 播放结束"), QStringLiteral("08:01:30 short ◆ 开始播放"),
            QStringLiteral("08:01:37 short ◆ 播放结束")}));
}

TEST(RunEngine, SequentialFolderPlaysByNameThenStartsOver) {
    EngineHarness h;
    h.backend.script.defaultMs = 1'000;
    const QString folder = h.musicFolder(QStringLiteral("bells"),
                                         {QStringLiteral("2.mp3"), QStringLiteral("10.mp3"),
                                          QStringLiteral("1.mp3"), QStringLiteral("notes.txt")});
    h.addProgramme(QStringLiteral("order"), folder, {{8, 0, 0}}, true, 4);
    h.start(at(8, 0, 0));
    h.runForSeconds(6);
    EXPECT_EQ(h.log.texts(), (QStringList{QStringLiteral("order ◆ 开始播放 ◆ 1.mp3"),
                                          QStringLiteral("order ◆ 音乐切换 ◆ 10.mp3"),
                                          QStringLiteral("order ◆ 音乐切换 ◆ 2.mp3"),
                                          QStringLiteral("order ◆ 音乐切换 ◆ 1.mp3"),
                                          QStringLiteral("order ◆ 播放结束")}));
}

TEST(RunEngine, OnlyTheFirst300FilesOfAFolderAreEverPlayed) {
    EngineHarness h;
    h.backend.script.defaultMs = 1'000;
    QStringList names;
    for (int i = 0; i < 400; ++i) {
        names.append(QStringLiteral("track%1.mp3").arg(i, 3, 10, QLatin1Char('0')));
    }
    const QString folder = h.musicFolder(QStringLiteral("many"), names);
    Programme& p = h.addProgramme(QStringLiteral("random"), folder, {{8, 0, 0}}, true, 300);
    p.sequential = 0;
    h.start(at(8, 0, 0));
    h.runForSeconds(320);
    // The first 300 by name, whatever order the folder lists them in.
    const QStringList first300 = names.mid(0, 300);
    QStringList played;
    for (const auto& player : h.backend.players) {
        played.append(player->path.mid(player->path.lastIndexOf(u'/') + 1));
    }
    ASSERT_EQ(played.size(), 300);
    played.sort();
    EXPECT_EQ(played, first300) << "each of the first 300 once, in one cycle";
}

TEST(RunEngine, FailingTracksAreSkippedAndThreeInARowEndTheRun) {
    EngineHarness h;
    h.backend.script.defaultMs = 1'000;
    h.backend.script.failingOpens[QStringLiteral("b.mp3")] = kErrorInvalidFileFormat;
    h.addProgramme(
        QStringLiteral("mixed"),
        h.musicFolder(QStringLiteral("mixed"),
                      {QStringLiteral("a.mp3"), QStringLiteral("b.mp3"), QStringLiteral("c.mp3")}),
        {{8, 0, 0}}, true, 2);
    h.start(at(8, 0, 0));
    h.runForSeconds(4);
    const QStringList texts = h.log.texts();
    ASSERT_EQ(texts.size(), 4);
    EXPECT_EQ(texts[0], QStringLiteral("mixed ◆ 开始播放 ◆ a.mp3"));
    EXPECT_TRUE(
        texts[1].startsWith(QStringLiteral("mixed ◆ 音乐失败(跳过) ◆ b.mp3 ◆ scripted failure "
                                           "(8004022f) ◆ 播放失败常见原因: (1)文件格式的问题")))
        << texts[1].toStdString();
    EXPECT_EQ(texts[2], QStringLiteral("mixed ◆ 音乐切换 ◆ c.mp3"));
    EXPECT_EQ(texts[3], QStringLiteral("mixed ◆ 播放结束"));

    EngineHarness bad;
    for (const char* name : {"a.mp3", "b.mp3", "c.mp3", "d.mp3"}) {
        bad.backend.script.failingOpens[QString::fromLatin1(name)] = kErrorNoAudioDevice;
    }
    bad.addProgramme(QStringLiteral("broken"),
                     bad.musicFolder(QStringLiteral("broken"),
                                     {QStringLiteral("a.mp3"), QStringLiteral("b.mp3"),
                                      QStringLiteral("c.mp3"), QStringLiteral("d.mp3")}),
                     {{8, 0, 0}});
    bad.start(at(8, 0, 0));
    bad.runForSeconds(1);
    const QStringList badTexts = bad.log.texts();
    ASSERT_EQ(badTexts.size(), 4);
    EXPECT_TRUE(badTexts[0].startsWith(
        QStringLiteral("broken ◆ 音乐失败(跳过) ◆ a.mp3 ◆ 音频设备无效 ◆ 常见原因:")));
    EXPECT_EQ(badTexts[3], QStringLiteral("broken ◆ 终止播放 ◆ 因:连续多个音乐失败或异常"));
    EXPECT_TRUE(bad.rows.rows().empty());

    EngineHarness single;
    single.backend.script.failingOpens[QStringLiteral("only.mp3")] = kErrorFail;
    single.addProgramme(QStringLiteral("one"),
                        single.musicFolder(QStringLiteral("one"), {QStringLiteral("only.mp3")}),
                        {{8, 0, 0}});
    single.start(at(8, 0, 0));
    single.runForSeconds(1);
    ASSERT_EQ(single.log.texts().size(), 2);
    EXPECT_TRUE(
        single.log.texts()[0].startsWith(QStringLiteral("one ◆ 音乐失败(跳过) ◆ only.mp3 ◆ ")));
    EXPECT_EQ(single.log.texts()[1], QStringLiteral("one ◆ 音乐全部失败或异常"));
}

TEST(RunEngine, FileRunFailuresAreWordedByTheEngineChecks) {
    auto firstText = [](auto configure, const QString& path = QString()) {
        EngineHarness h;
        configure(h);
        h.addProgramme(QStringLiteral("p"),
                       path.isEmpty() ? h.musicFile(QStringLiteral("a.mp3")) : path, {{8, 0, 0}});
        h.start(at(8, 0, 0));
        h.runForSeconds(0.2);
        EXPECT_TRUE(h.rows.rows().empty());
        return h.log.texts().value(0);
    };
    EXPECT_EQ(firstText([](EngineHarness& h) {
                  h.backend.script.failingOpens[QStringLiteral("a.mp3")] = kErrorFail;
                  h.backend.script.frameworkAvailable = false;
              }),
              QStringLiteral("p ◆ 播放失败 ◆ 系统环境有问题 ◆ 修复工具:官网>帮助>Directx修复 ◆ "
                             "技术支持/官网: 帮助栏里有联系方式/网址"));
    EXPECT_TRUE(
        firstText([](EngineHarness& h) {
            h.backend.script.failingOpens[QStringLiteral("a.mp3")] = kErrorNoAudioDevice;
        }).startsWith(QStringLiteral("p ◆ 播放失败 ◆ 音频设备无效 ◆ 常见原因: (1)找不到设备")));
    EXPECT_EQ(firstText([](EngineHarness& h) {
                  h.backend.script.failingOpens[QStringLiteral("a.mp3")] = kErrorFail;
                  h.backend.script.modulesIntact = false;
              }),
              QStringLiteral("p ◆ 播放失败 ◆ 文件有缺失 ◆ 请从官网下载软件重装 ◆ 技术支持/官网: "
                             "帮助栏里有联系方式/网址"));
    EXPECT_EQ(firstText([](EngineHarness&) {}, QStringLiteral("/no/such/file.mp3")),
              QStringLiteral("p ◆ 音乐文件不存在 ◆ /no/such/file.mp3"));
}

TEST(RunEngine, ClockSetBackEndsSecondsRunsButNotCountedOnes) {
    EngineHarness h;
    h.addProgramme(QStringLiteral("seconds"), h.musicFile(QStringLiteral("a.mp3")), {{8, 0, 0}},
                   false, 3600);
    h.start(at(8, 0, 0));
    h.runForSeconds(30);
    h.clock.set(at(7, 0, 30));
    h.runForSeconds(1);
    EXPECT_EQ(h.log.texts().last(), QStringLiteral("seconds ◆ 终止播放... ◆ 系统时间倒退"));
    EXPECT_TRUE(h.rows.rows().empty());

    EngineHarness counted;
    counted.addProgramme(QStringLiteral("counted"), counted.musicFile(QStringLiteral("a.mp3")),
                         {{8, 0, 0}}, true, 1);
    counted.start(at(8, 0, 0));
    counted.runForSeconds(30);
    counted.clock.set(at(7, 0, 30));
    counted.runForSeconds(1);
    EXPECT_EQ(counted.log.texts(), QStringList{QStringLiteral("counted ◆ 开始播放")});
    EXPECT_EQ(counted.rows.rows().size(), 1u);
}

TEST(RunEngine, DuckGainGlidesTowardItsTarget) {
    EngineHarness h;
    bool immediate = false;
    h.runs.ducking().lowerWhile(DuckSource::Immediate, [&](const QString&) { return immediate; });
    h.settings.duckPercent = 60;
    h.settings.duckFadeOutSeconds = 5;
    h.settings.duckFadeInSeconds = 8;
    h.addProgramme(QStringLiteral("music"), h.musicFile(QStringLiteral("a.mp3")), {{8, 0, 0}}, true,
                   1);
    h.start(at(8, 0, 0));
    h.runForSeconds(1);
    immediate = true;
    h.tick();
    EXPECT_NEAR(h.runs.ducking().gain(), 0.99, 1e-9);
    for (int i = 0; i < 10; ++i) {
        h.tick();
    }
    EXPECT_NEAR(h.runs.ducking().gain(), 0.89, 1e-9);
    const PlayerRecord& player = *h.backend.players[0];
    EXPECT_EQ(player.volumes.back(), levelToAttenuation(80 * 0.89));
    // 60 steps of 0.01 in all: down to 40 % in 5 s x 60 % = 3 s, then it stays.
    for (int i = 0; i < 49; ++i) {
        h.tick();
    }
    EXPECT_DOUBLE_EQ(h.runs.ducking().gain(), 0.4);
    const size_t steps = player.volumes.size();
    h.tick();
    EXPECT_EQ(player.volumes.size(), steps) << "no change, no new level";
    immediate = false;
    h.tick();
    EXPECT_NEAR(h.runs.ducking().gain(), 0.4 + 0.05 / 8, 1e-9);
    h.runForSeconds(10);
    EXPECT_DOUBLE_EQ(h.runs.ducking().gain(), 1.0);
    EXPECT_EQ(player.volumes.back(), volumeToAttenuation(80));
}

TEST(RunEngine, PlaybackErrorsEndFileRunsAndSkipFolderTracks) {
    EngineHarness h;
    h.addProgramme(QStringLiteral("file"), h.musicFile(QStringLiteral("a.mp3")), {{8, 0, 0}});
    h.start(at(8, 0, 0));
    h.runForSeconds(1);
    PlayerRecord& player = *h.backend.players[0];
    player.emitEvent({kEventComplete, 0, 0, QString()});
    player.emitEvent({kEventDeviceLost, 0, 1, QString()});  // back again: ignored
    EXPECT_EQ(h.rows.rows().size(), 1u);
    player.emitEvent({kEventDeviceLost, 0, 0, QString()});
    EXPECT_TRUE(h.rows.rows().empty());
    EXPECT_EQ(player.live, nullptr) << "the engine freed the player that reported the failure";
    EXPECT_TRUE(player.closed);
    EXPECT_EQ(h.log.texts().last(),
              QStringLiteral(
                  "file ◆ 播放异常 ◆ 音频设备失效 ◆ 常见原因: (1)设备被拔掉,音频设备被拔出或禁用; "
                  "(2)远程登录时,应选\"在远程电脑上播放音频\" (参看:官网>帮助) ◆ 技术支持/官网: "
                  "帮助栏里有联系方式/网址"));

    EngineHarness f;
    f.addProgramme(
        QStringLiteral("folder"),
        f.musicFolder(QStringLiteral("d"), {QStringLiteral("1.mp3"), QStringLiteral("2.mp3")}),
        {{8, 0, 0}}, true, 5);
    f.start(at(8, 0, 0));
    f.runForSeconds(1);
    PlayerRecord& track = *f.backend.players[0];
    track.emitEvent({kEventErrorAbort, kErrorFail, 0, QStringLiteral("decoder broke")});
    const QStringList texts = f.log.texts();
    EXPECT_EQ(texts[texts.size() - 2],
              QStringLiteral(
                  "folder ◆ 音乐异常(跳过) ◆ 1.mp3 ◆ decoder broke (80004005) ◆ "
                  "如安装了酷狗/酷我,建议卸载掉,可用QQ音乐等代替 ◆ 技术支持:帮助栏里有联系方式"));
    EXPECT_EQ(texts.last(), QStringLiteral("folder ◆ 音乐切换 ◆ 2.mp3"));
    EXPECT_EQ(f.rows.rows()[0].progress, QStringLiteral("2/5首"));
}

TEST(RunEngine, DeletingOrEditingAPlayingProgrammeStopsItsRuns) {
    EngineHarness h;
    h.addProgramme(QStringLiteral("Bell"), h.musicFile(QStringLiteral("a.mp3")), {{8, 0, 0}});
    h.addProgramme(QStringLiteral("Song"), h.musicFile(QStringLiteral("b.mp3")), {{9, 0, 0}});
    h.start(at(8, 0, 0));
    h.runForSeconds(1);
    h.dispatcher.manualPlay(0, 1);
    h.runForSeconds(1);
    ASSERT_EQ(h.runs.findRunByName(QStringLiteral("bell"), false), -1) << "manual runs are skipped";
    ASSERT_EQ(h.runs.findRunByName(QStringLiteral("bell"), true), 0);
    h.table.remove({0}, &h.runs);
    EXPECT_EQ(h.log.texts().last(), QStringLiteral("Bell(手动) ◆ 终止播放... ◆ 该节目被删除"));
    EXPECT_TRUE(h.rows.rows().empty());
    // 49 pauses of 6 ms: a 300 ms fade.
    const std::vector<int>& v = h.backend.players.back()->volumes;
    EXPECT_EQ(v.back(), -10000);

    h.dispatcher.manualPlay(0, 1);
    h.runForSeconds(1);
    Programme edited = h.table.at(0);
    QString message;
    EXPECT_EQ(h.table.replace(
                  0, edited, &h.runs, [](const QString&) { return true; }, message),
              EditResult::Replaced);
    EXPECT_EQ(h.log.texts().last(), QStringLiteral("Song(手动) ◆ 终止播放... ◆ 用户终止播放"));
}

TEST(RunEngine, ShutdownFadeScalesAndThenEmptiesEverything) {
    EngineHarness h;
    h.addProgramme(QStringLiteral("A"), h.musicFile(QStringLiteral("a.mp3")), {{8, 0, 0}});
    h.addProgramme(QStringLiteral("B"), h.musicFile(QStringLiteral("b.mp3")), {{8, 0, 1}}, true, 1,
                   true);
    h.start(at(8, 0, 0));
    h.runForSeconds(2);
    h.runs.scaleAllRuns(0.5);
    EXPECT_EQ(h.backend.players[0]->volumes.back(), volumeToAttenuation(40));
    h.runs.scaleAllRuns(0.0);
    EXPECT_TRUE(h.runs.isEmpty());
    EXPECT_TRUE(h.rows.rows().empty());
    EXPECT_TRUE(h.backend.players[0]->closed);
    EXPECT_EQ(h.log.texts().size(), 2) << "the shutdown fade logs nothing";
}
