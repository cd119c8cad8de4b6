#include "core/support/field_checks.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "core/support/text.h"

namespace {

// Reads like a dialog's integer field: leading digits, a minus sign only when signed,
// failing on no digits or overflow of the 32-bit range.
std::optional<qint64> parseDialogInteger(const QString& text, bool isSigned) {
    qsizetype i = 0;
    bool negative = false;
    if (isSigned && i < text.size() && text.at(i) == u'-') {
        negative = true;
        ++i;
    }
    qint64 value = 0;
    bool anyDigit = false;
    const qint64 limit = isSigned ? (negative ? qint64(1) << 31 : (qint64(1) << 31) - 1)
                                  : std::numeric_limits<quint32>::max();
    for (; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        if (c < u'0' || c > u'9') {
            break;
        }
        anyDigit = true;
        value = value * 10 + (c - u'0');
        if (value > limit) {
            return std::nullopt;
        }
    }
    if (!anyDigit) {
        return std::nullopt;
    }
    return negative ? -value : value;
}

}  // namespace

std::optional<qint64> checkIntegerField(const QString& text, const IntegerCheck& check) {
    const QString trimmed = trimBlanks(text.left(255));
    const std::optional<qint64> value = parseDialogInteger(trimmed, check.isSigned);
    if (!value || QString::number(*value) != trimmed) {
        return std::nullopt;
    }
    if ((check.lower && *value < *check.lower) || (check.upper && *value > *check.upper)) {
        return std::nullopt;
    }
    return value;
}

std::optional<double> checkDecimalField(const QString& text, const DecimalCheck& check) {
    const QString trimmed = trimBlanks(text.left(255));
    // Anything outside ASCII ends the number, as the C library's reader would.
    QByteArray ascii;
    for (const QChar c : trimmed) {
        if (c.unicode() > 0x7f) {
            break;
        }
        ascii += static_cast<char>(c.unicode());
    }
    // Locale-independent: the user's locale must not turn "5.5" into something else.
    double value = 0.0;
    const std::from_chars_result parsed =
        std::from_chars(ascii.constData(), ascii.constData() + ascii.size(), value);
    if (parsed.ec != std::errc()) {
        value = 0.0;
    }
    const QString fixed = QString::asprintf("%.*f", check.decimals, value);
    if (trimmed.size() > fixed.size() || !fixed.startsWith(trimmed)) {
        return std::nullopt;
    }
    if (!(check.lower ? *check.lower <= value : !std::isnan(value)) ||
        !(check.upper ? value <= *check.upper : !std::isnan(value))) {
        return std::nullopt;
    }
    return value;
}

qint64 readIntegerField(const QString& text, bool isSigned) {
    return parseDialogInteger(trimBlanks(text), isSigned).value_or(0);
}
