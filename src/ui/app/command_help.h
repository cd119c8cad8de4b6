#pragma once

#include <QString>

#include "core/storage/app_paths.h"

// The texts of --help and --version, and the usage line shown after a wrong option.
QString programVersion();
QString versionText();
QString usageText();
QString helpText(const AppPaths& paths);

// What the command line asks for before anything starts.
enum class CommandRequest { Run, Help, Version, BadOption };
struct CommandCheck {
    CommandRequest request = CommandRequest::Run;
    QString badOption;
};
// The program's own options besides the tools: --headless and the start arguments "1",
// "2", "3" (anything else that is no option counts as no start argument).
CommandCheck checkCommandLine(const QStringList& arguments);
