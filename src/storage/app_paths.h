#pragma once

#include <QString>

inline const QString kApplicationTitle = QStringLiteral("澜川校园定时广播系统 9.2");
inline const QString kDataFolderName = QStringLiteral("KelvoraBroadcasting9");

// The program's folders, resolved once at start. Nothing is created here.
struct AppPaths {
    QString exeFolder;      // folder of the running executable
    QString musicFolder;    // "music" beside it
    QString roamingFolder;  // $XDG_DATA_HOME, or ~/.local/share
    QString dataFolder;     // roamingFolder + KelvoraBroadcasting9
    double dpiScale = 1.0;

    static AppPaths resolve();
    static AppPaths forFolders(const QString& exeFolder, const QString& roamingFolder);
    QString dataFile(const QString& name) const;
};
