#pragma once

#include <QString>
#include <QStringList>

// The 16 extensions that are played, compared ignoring case.
extern const QStringList PlayableExtensions;
// The same, in the order and form the messages list them.
inline const QString kPlayableList =
    QStringLiteral("aac,ape,cda,flac,m1a,m2a,m4a,mp2,mp3,mpa,ogg,tak,tta,wav,wma,wv");
inline const QString kUnsupportedList = QStringLiteral("ac3,amr,dts,mid,midi,mka,ra");
// Filter of the music file dialogs: the shown name and the patterns.
inline const QString kMusicFilterName = QStringLiteral(
    "音乐(*.aac;*.ape;*.cda;*.flac;*.m1a;*.m2a;*.m4a;*.mp2;*.mp3;*.mpa;*.ogg;*.tak;*.tta;*.wav;*."
    "wma;*.wv)");

// The text from the last dot of the name to its end, or empty.
QString fileExtension(const QString& name);
bool isPlayableExtension(const QString& name);

// Full paths of the playable files directly in the folder, in name order (the one collator of
// names), the first `cap` of them (no cap when cap <= 0). Only regular files are taken (after
// following links): folders, FIFOs, devices and sockets named like music are skipped.
QStringList listPlayableFiles(const QString& folder, int cap = 0);

// A path that does not exist because a name in it is not valid UTF-8 (it was decoded with
// replacement characters, so it can no longer be found by that name).
bool hasUndecodableName(const QString& path);

// Checks a music path before it is used: network paths and network mounts are refused, and
// the path must exist as the wanted kind (a file means a regular file). The message uses the
// caller's label.
bool validateMusicPath(const QString& path, const QString& label, bool folderWanted,
                       QString& message);

// The network mount holding the path ("" when it is on a local file system).
QString networkMountOf(const QString& path);
// The same, for an absolute path and the text of a mountinfo table.
QString networkMountIn(const QString& path, const QByteArray& mountInfo);
