#pragma once

#include <QStringList>
#include <optional>

// The sound-checking commands: --list-devices, --probe FILE..., and
// --play FILE [--device NAME] [--volume N]. Returns the exit code, or nothing when the
// arguments are not one of them.
std::optional<int> runAudioTool(const QStringList& arguments);
