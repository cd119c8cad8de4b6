#pragma once

#include <QString>

// Blanks that names, paths and typed numbers are trimmed of: CR, LF, ideographic space,
// space, tab, vertical tab and form feed.
bool isTrimmedBlank(QChar c);
QString trimBlanks(const QString& text);
QString trimLeadingBlanks(const QString& text);

// Fixed UTF-16 fields of the stored records: zero-terminated, the rest zero.
QString fieldText(const char16_t* field, int capacity);
void setFieldText(char16_t* field, int capacity, const QString& text);

template <int N>
QString fieldText(const char16_t (&field)[N]) {
    return fieldText(field, N);
}
template <int N>
void setFieldText(char16_t (&field)[N], const QString& text) {
    setFieldText(field, N, text);
}

// Names are compared ignoring case, as the user sees them equal.
bool sameNameIgnoringCase(const QString& a, const QString& b);
