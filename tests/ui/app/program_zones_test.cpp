#include <gtest/gtest.h>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QTreeView>
#include <cstdio>

#include "core/zones/zone_setup.h"
#include "helpers/temp_folder.h"
#include "helpers/ui_helpers.h"
#include "ui/app/main_window.h"
#include "ui/app/program.h"
#include "ui/immediate/immediate_page.h"
#include "ui/settings/settings_page.h"
#include "ui/timed/timed_page.h"
#include "ui/widgets/hyper_link.h"

namespace {

const QByteArray kSchoolZones = R"({"zones": [{"name": "教学楼", "device": "KB-Hall"},
  {"name": "宿舍", "device": "KB-Speakers"}], "programmes": {"早操": ["教学楼", "宿舍"]},
  "immediate": ["教学楼"]})";

// What the window shows of the zones.
struct ZonesShown {
    bool column = false;
    QString settings;
    bool immediateLink = false;
};

ZonesShown zonesShown(Program& program) {
    auto* timed = static_cast<TimedPage*>(program.window()->page(MainWindow::kTimedTab));
    auto* settings = static_cast<SettingsPage*>(program.window()->page(MainWindow::kSettingsTab));
    return {timed->programmeList()->model()->columnCount() > ProgrammeListModel::Zones,
            settings->zonesText()->text(), !program.immediatePage()->zonesLink()->isHidden()};
}

}  // namespace

TEST(ProgramZones, TheZoneFileIsShownOnThePagesAndABadOneLeavesOneOutput) {
    struct Case {
        QByteArray file;
        bool column;
        QString settings;
        bool damaged;
    };
    const Case cases[] = {
        {kSchoolZones, true, QStringLiteral("教学楼、宿舍"), false},
        {R"({"zones": [{"name": "教学楼", "device": "KB-Hall"}, {"name": "教学楼", "device": "x"}]})",
         false, QStringLiteral("无 (都在总输出设备上播放)"), true},
        {"{\"zones\": [", false, QStringLiteral("无 (都在总输出设备上播放)"), true},
    };
    for (const Case& c : cases) {
        RecordedMessages messages;
        TempFolder folder;
        const AppPaths paths = AppPaths::forFolders(folder.path(), folder.path());
        QDir().mkpath(paths.dataFolder);
        writeBytes(paths.dataFile(kZoneFileName), c.file);
        Program program(paths, false);
        ASSERT_TRUE(program.initialise({}));
        const ZonesShown shown = zonesShown(program);
        EXPECT_EQ(shown.column, c.column) << c.file.constData();
        EXPECT_EQ(shown.settings, c.settings);
        EXPECT_EQ(shown.immediateLink, c.column);
        EXPECT_EQ(QFile::exists(paths.dataFile(kZoneFileName) + QStringLiteral(".damaged")),
                  c.damaged);
        EXPECT_EQ(messages.shown.size(), c.damaged ? 1 : 0);
        if (c.damaged && !messages.shown.isEmpty()) {
            EXPECT_TRUE(messages.last().startsWith(
                QStringLiteral("分区设置有错误，已停用分区（所有节目在总输出设备上播放）：")))
                << messages.last().toStdString();
        }
        program.shutdown(false);
    }
}

TEST(ProgramZones, AZoneFileReplacedByAnotherProgramIsShownAtOnce) {
    RecordedMessages messages;
    TempFolder folder;
    const AppPaths paths = AppPaths::forFolders(folder.path(), folder.path());
    Program program(paths, false);
    ASSERT_TRUE(program.initialise({}));
    ASSERT_FALSE(zonesShown(program).column);
    // As rsync puts a file in place: written beside it, then renamed over it.
    const auto push = [&](const QByteArray& content, bool column) {
        writeBytes(paths.dataFile(QStringLiteral(".incoming")), content);
        EXPECT_EQ(std::rename(QFile::encodeName(paths.dataFile(QStringLiteral(".incoming"))),
                              QFile::encodeName(paths.dataFile(kZoneFileName))),
                  0);
        QElapsedTimer timer;
        timer.start();
        while (zonesShown(program).column != column && timer.elapsed() < 10000) {
            pumpEvents(50);
        }
    };
    push(kSchoolZones, true);
    const ZonesShown shown = zonesShown(program);
    EXPECT_TRUE(shown.column);
    EXPECT_EQ(shown.settings, QStringLiteral("教学楼、宿舍"));
    EXPECT_TRUE(shown.immediateLink);
    EXPECT_EQ(program.immediatePage()->zonesLink()->text(), QStringLiteral("播放分区: 教学楼 …"));
    EXPECT_TRUE(messages.shown.isEmpty());
    // A damaged replacement is told, kept aside, and leaves one output as its message says.
    push("{\"zones\": [", false);
    EXPECT_FALSE(zonesShown(program).column);
    EXPECT_EQ(zonesShown(program).settings, QStringLiteral("无 (都在总输出设备上播放)"));
    EXPECT_TRUE(QFile::exists(paths.dataFile(kZoneFileName) + QStringLiteral(".damaged")));
    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_TRUE(messages.last().startsWith(QStringLiteral("分区设置有错误，已停用分区")));
    program.shutdown(false);
}
