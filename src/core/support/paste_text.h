#pragma once

#include <QString>

// What pasting the clipboard text puts into an edit box: at most 50,000 characters plus the
// one that crosses the limit; in a multi-line box every CR, LF or CR LF becomes CR LF, in a
// single-line box the first line only.
constexpr int kPasteLimit = 50'000;
QString pastedText(const QString& clipboard, bool multiLine);
