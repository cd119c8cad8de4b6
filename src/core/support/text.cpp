#include "core/support/text.h"

#include <algorithm>

bool isTrimmedBlank(QChar c) {
    switch (c.unicode()) {
        case u'\r':
        case u'\n':
        case u'\u3000':
        case u' ':
        case u'\t':
        case u'\v':
        case u'\f':
            return true;
        default:
            return false;
    }
}

QString trimBlanks(const QString& text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isTrimmedBlank(text.at(begin))) {
        ++begin;
    }
    while (end > begin && isTrimmedBlank(text.at(end - 1))) {
        --end;
    }
    return text.mid(begin, end - begin);
}

QString trimLeadingBlanks(const QString& text) {
    qsizetype begin = 0;
    while (begin < text.size() && isTrimmedBlank(text.at(begin))) {
        ++begin;
    }
    return text.mid(begin);
}

QString fieldText(const char16_t* field, int capacity) {
    int length = 0;
    while (length < capacity && field[length] != 0) {
        ++length;
    }
    return QString::fromUtf16(field, length);
}

void setFieldText(char16_t* field, int capacity, const QString& text) {
    std::fill(field, field + capacity, char16_t(0));
    const int length = static_cast<int>(std::min<qsizetype>(text.size(), capacity - 1));
    for (int i = 0; i < length; ++i) {
        field[i] = text.at(i).unicode();
    }
}

bool sameNameIgnoringCase(const QString& a, const QString& b) {
    return QString::compare(a, b, Qt::CaseInsensitive) == 0;
}
