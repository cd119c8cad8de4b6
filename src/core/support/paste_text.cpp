#include "core/support/paste_text.h"

QString pastedText(const QString& clipboard, bool multiLine) {
    QString result;
    result.reserve(qMin<qsizetype>(clipboard.size(), kPasteLimit) + 2);
    for (qsizetype i = 0; i < clipboard.size() && result.size() <= kPasteLimit; ++i) {
        const QChar c = clipboard.at(i);
        if (c == u'\r' || c == u'\n') {
            if (!multiLine) {
                break;
            }
            result += QStringLiteral("\r\n");
            if (c == u'\r' && i + 1 < clipboard.size() && clipboard.at(i + 1) == u'\n') {
                ++i;
            }
            continue;
        }
        result += c;
    }
    return result;
}
