#pragma once

#include <QString>

// The event texts of timed play. Each takes the run's label (name and "(手动)") first.
namespace RunTexts {

QString started(const QString& label);
QString startedTrack(const QString& label, const QString& file);
QString switchedTrack(const QString& label, const QString& file);
QString ended(const QString& label);
QString pathProblem(const QString& label, const QString& problem, const QString& path);
QString noMusic(const QString& label);
QString allFailed(const QString& label);
QString tooManyFailures(const QString& label);
QString stopping(const QString& label, const QString& reason);  // with a player
QString stopped(const QString& label, const QString& reason);   // without one
QString clockWentBack(const QString& label, bool playing);
QString queued(const QString& name);
QString preemptedBy(const QString& name);
QString preemptedByHand(const QString& name);

// Why a player could not start, in the order the checks are made. `file` is empty for a
// file run ("播放失败") and the track's name for a folder run ("音乐失败(跳过)").
QString brokenEnvironment(const QString& label, const QString& file);
QString invalidDevice(const QString& label, const QString& file);
QString formatAdvice(const QString& label, const QString& file, const QString& platformText);
QString missingModules(const QString& label, const QString& file);

// A playing player failed: the device went away, or something else.
QString deviceFailed(const QString& label, const QString& file);
QString playbackFailed(const QString& label, const QString& file, const QString& platformText);

QString passes(int done, int total);
QString tracks(int done, int total);

}  // namespace RunTexts

// What a report about a run says, recognised by the texts above. `label` is the run's label.
enum class RunTextKind { Started, Switched, Ended, Stopped, TrackFailed, Failed, Other };
namespace RunTexts {
// The kind of the report, and in `reason` what follows the label (empty for starts and ends).
RunTextKind kindOf(const QString& label, const QString& text, QString* reason = nullptr);
// Whether the report says the output device went away or is missing.
bool isDeviceProblem(const QString& text);
}  // namespace RunTexts
