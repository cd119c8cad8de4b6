#pragma once

#include <QString>

#include "core/support/messages.h"

inline const QString kDataFolderName = QStringLiteral("KelvoraBroadcasting9");
// Files in the resource folder.
inline const QString kWelcomePageName = QStringLiteral("welcome.htm");
inline const QString kHelpIndexName = QStringLiteral("help/index.html");

// The program's folders, resolved once at start. Nothing is created here.
struct AppPaths {
    QString exeFolder;       // folder of the running executable
    QString resourceFolder;  // welcome page, help pages, music: installed or in the build folder
    QString musicFolder;     // "music" in the resource folder
    QString roamingFolder;   // $XDG_DATA_HOME, or ~/.local/share
    QString dataFolder;      // roamingFolder + KelvoraBroadcasting9
    double dpiScale = 1.0;

    static AppPaths resolve();
    // The files beside the program are found from the executable's folder: in
    // ../share/kelvora-broadcasting when installed, else in that folder itself (the build
    // folder's layout).
    static AppPaths forFolders(const QString& exeFolder, const QString& roamingFolder);
    QString dataFile(const QString& name) const;
    QString welcomePage() const;
    QString helpIndex() const;
};

// The full path of the running program: the installed program when it runs installed,
// the build folder's executable otherwise. What a start-with-logon entry should start.
QString programExecutablePath();
