#pragma once

#include <QString>
#include <optional>

// Checks for numbers typed into dialog fields. A text passes only when it is exactly the
// canonical form of the number it reads as, so "080", "8 0", "+5" and "" all fail.
struct IntegerCheck {
    bool isSigned = false;
    std::optional<qint64> lower;
    std::optional<qint64> upper;
};

// The value on success.
std::optional<qint64> checkIntegerField(const QString& text, const IntegerCheck& check);

struct DecimalCheck {
    int decimals = 2;
    std::optional<double> lower;
    std::optional<double> upper;
};

std::optional<double> checkDecimalField(const QString& text, const DecimalCheck& check);

// What a dialog field reads as when it is not checked: the leading number, 0 when none.
qint64 readIntegerField(const QString& text, bool isSigned);
