#include <gtest/gtest.h>
#include <QFile>

#include "core/zones/zone_setup.h"
#include "helpers/temp_folder.h"

namespace {

const QByteArray kSchool = R"({"zones": [{"name": "教学楼", "device": "KB-Hall"},
  {"name": "宿舍", "device": "KB-Speakers"}],
  "programmes": {"上课铃": ["教学楼"], "起床铃": ["宿舍"], "早操": ["教学楼", "宿舍"]},
  "immediate": ["教学楼"]})";

}  // namespace

TEST(ZoneSetup, TheFileNamesEachProgrammesZonesAndSurvivesASave) {
    ZoneSetup setup;
    QString message;
    ASSERT_TRUE(parseZoneSetup(kSchool, setup, message)) << message.toStdString();
    EXPECT_EQ(setup.zonesOf(QStringLiteral("早操")),
              (QStringList{QStringLiteral("教学楼"), QStringLiteral("宿舍")}));
    EXPECT_EQ(setup.zonesOf(QStringLiteral("上课铃")), QStringList{QStringLiteral("教学楼")});
    EXPECT_TRUE(setup.zonesOf(QStringLiteral("午间音乐")).isEmpty()) << "the program-wide output";
    EXPECT_EQ(setup.immediate, QStringList{QStringLiteral("教学楼")});
    TempFolder data;
    ASSERT_TRUE(saveZoneSetup(data.path(), setup, message));
    ZoneSetup again;
    ASSERT_TRUE(loadZoneSetup(data.path(), again, message));
    EXPECT_EQ(encodeZoneSetup(again), encodeZoneSetup(setup));
    again.renameProgramme(QStringLiteral("早操"), QStringLiteral("课间操"));
    EXPECT_EQ(again.zonesOf(QStringLiteral("课间操")).size(), 2);
    EXPECT_TRUE(again.zonesOf(QStringLiteral("早操")).isEmpty());
}

TEST(ZoneSetup, ABadFileIsKeptAsDamagedAndTreatedAsAbsent) {
    const QString longName(64, u'楼');
    QStringList zones17;
    for (int i = 0; i < 17; ++i) {
        zones17.append(QStringLiteral("{\"name\": \"区%1\", \"device\": \"d\"}").arg(i));
    }
    struct Case {
        QByteArray content;
        QString said;
    };
    const Case cases[] = {
        {"{\"zones\": [", QStringLiteral("JSON")},
        {"[1, 2]", QStringLiteral("JSON")},
        {("{\"zones\": [" + zones17.join(u',') + "]}").toUtf8(), QStringLiteral("最多 16 个分区")},
        {("{\"zones\": [{\"name\": \"" + longName + "\", \"device\": \"d\"}]}").toUtf8(),
         QStringLiteral("分区名称太长")},
        {R"({"zones": [{"name": "Hall", "device": "a"}, {"name": "hall", "device": "b"}]})",
         QStringLiteral("分区名称重复：hall")},
        {R"({"zones": [{"name": "Hall", "device": "a"}], "programmes": {"x": ["Gym"]}})",
         QStringLiteral("节目 x 的分区不存在：Gym")},
    };
    for (const Case& c : cases) {
        TempFolder data;
        QFile file(data.file(kZoneFileName));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(c.content);
        file.close();
        ZoneSetup setup;
        setup.zones.push_back({QStringLiteral("old"), QStringLiteral("d")});
        QString message;
        EXPECT_FALSE(loadZoneSetup(data.path(), setup, message)) << c.content.toStdString();
        EXPECT_TRUE(message.contains(c.said)) << message.toStdString();
        EXPECT_TRUE(message.startsWith(QStringLiteral("分区设置有错误"))) << message.toStdString();
        EXPECT_TRUE(setup.isEmpty());
        EXPECT_TRUE(QFile::exists(data.file(kZoneFileName + QStringLiteral(".damaged"))));
    }
    TempFolder none;
    ZoneSetup setup;
    QString message;
    EXPECT_TRUE(loadZoneSetup(none.path(), setup, message)) << "no file: no zones";
    EXPECT_TRUE(setup.isEmpty());
}
