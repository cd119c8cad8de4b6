#pragma once

#include <QString>

// The messages of immediate play, each opening with its banner line.
namespace ImmediateTexts {

QString pathProblem(const QString& problem, const QString& path);
QString brokenEnvironment();
QString invalidDevice();
QString missingModules();
QString playFailed(const QString& path, const QString& errorText);
QString deviceFailed();
QString playbackFailed(const QString& path, const QString& errorText);
QString clockWentBack();
QString tooManyTracks();
// Immediate play may not start now, for the reason given (the emergency alarm).
QString held(const QString& reason);

// The status line: waiting for the duck, tracks started, seconds played.
QString waiting(int counter);
QString tracks(int started, int limit);
QString seconds(qint64 elapsed, int limit);

}  // namespace ImmediateTexts
