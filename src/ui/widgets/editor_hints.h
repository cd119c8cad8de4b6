#pragma once

#include <QString>

// The hint texts behind the programme editor's links.
namespace EditorHints {

QString sequential();
QString random();
QString musicDownload(const QString& musicFolder);
QString pastStartTime();
QString endFade();
QString outputDevice();
QString loudness();
QString interval();
QString conversion();
QString formats();
QString hardware();
QString playNow();

}  // namespace EditorHints
