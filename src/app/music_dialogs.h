#pragma once

#include <QStringList>

class QWidget;

// The filter of the music file dialogs as Qt reads it: the shown name with its patterns
// separated by blanks.
QString musicFileFilter();
// Several music files at once ("mp3" as the default extension); empty when cancelled.
QStringList chooseMusicFiles(QWidget* parent);
// A music folder ("选音乐文件夹："); empty when cancelled.
QString chooseMusicFolder(QWidget* parent);
