#pragma once

#include <QCheckBox>
#include <QPushButton>
#include <memory>

#include "settings/settings_file.h"
#include "settings/settings_page.h"
#include "support/temp_folder.h"
#include "support/ui_helpers.h"

inline const QString kTestProgram = QStringLiteral("/opt/kelvora/kelvora-broadcasting");

// The settings page over its own data and autostart folders.
struct SettingsFixture {
    explicit SettingsFixture(const QString& programPath = kTestProgram)
        : paths(AppPaths::forFolders(data.path(), data.path())) {
        page = std::make_unique<SettingsPage>(SettingsPage::Services{
            settings, clock, paths, config.file(QStringLiteral("autostart")), programPath});
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
    SystemSettings settings = firstRunSettings();
    SystemClock clock;
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
