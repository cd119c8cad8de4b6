#pragma once

#include <QCheckBox>
#include <QPushButton>
#include <memory>

#include "core/settings/settings_file.h"
#include "core/timed/timetable_switch.h"
#include "helpers/engine_harness.h"
#include "helpers/temp_folder.h"
#include "helpers/ui_helpers.h"
#include "helpers/zone_store.h"
#include "ui/settings/settings_page.h"

inline const QString kTestProgram = QStringLiteral("/opt/kelvora/kelvora-broadcasting");

// Stands in for logind: records what was asked and refuses when told to.
struct RecordingPower : SystemPower {
    bool powerOff(QString& error) override { return answer(QStringLiteral("PowerOff"), error); }
    bool reboot(QString& error) override { return answer(QStringLiteral("Reboot"), error); }
    bool answer(const QString& call, QString& error) {
        calls.append(call);
        error = refusal;
        return refusal.isEmpty();
    }
    QStringList calls;
    QString refusal;
};

// The settings page over its own data and autostart folders, on the simulated clock and the
// timed-play engine of the harness.
struct SettingsFixture {
    explicit SettingsFixture(const QString& programPath = kTestProgram)
        : paths(AppPaths::forFolders(data.path(), data.path())),
          timetable(paths.dataFolder, harness.table, harness.calendar, harness.runs, harness.clock),
          zones(paths.dataFolder) {
        harness.start(at(8, 0, 0));
        page = std::make_unique<SettingsPage>(SettingsPage::Services{
            settings, harness.clock, paths, config.file(QStringLiteral("autostart")), programPath,
            shutdowns, timetable, nullptr, &zones.zones, zones.change()});
        zones.changed = [this] { page->refreshZones(); };
        page->resize(1000, 700);
        page->show();
    }

    QString autostartFolder() const { return config.file(QStringLiteral("autostart")); }
    QString entryPath() const {
        return autostartFolder() + QStringLiteral("/KelvoraBroadcasting.desktop");
    }
    QString settingsPath() const { return paths.dataFile(kSettingsFileName); }
    // The Exec value of the autostart entry, or nothing when there is no entry.
    QString exec() const {
        for (const QString& line : QString::fromUtf8(readBytes(entryPath())).split(u'\n')) {
            if (line.startsWith(QLatin1String("Exec="))) {
                return line.mid(5);
            }
        }
        return QString();
    }

    RecordedMessages messages;
    TempFolder data;
    TempFolder config;
    AppPaths paths;
    EngineHarness harness;
    SystemSettings& settings = harness.settings;
    RecordingPower power;
    ShutdownScheduler shutdowns{settings, harness.clock, power};
    TimetableSwitch timetable;
    ZoneStore zones;
    std::unique_ptr<SettingsPage> page;
};

// The push button of a dialog with this text.
inline QPushButton* buttonOf(QWidget* dialog, const QString& text) {
    for (QPushButton* button : dialog->findChildren<QPushButton*>()) {
        if (button->text() == text) {
            return button;
        }
    }
    return nullptr;
}
