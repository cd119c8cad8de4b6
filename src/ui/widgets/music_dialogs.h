#pragma once

#include <QStringList>

class QWidget;

// The filter of the music file dialogs as Qt reads it: the shown name with its patterns
// separated by blanks.
QString musicFileFilter();
// The music file dialogs open where the last one was left (the program's music folder the
// first time) and remember the choice.
// Music files ("mp3" as the default extension), one or several; empty when cancelled.
QStringList chooseMusicFiles(QWidget* parent, const QString& musicFolder, bool several);
// A music folder ("选音乐文件夹："); empty when cancelled.
QString chooseMusicFolder(QWidget* parent, const QString& musicFolder);
