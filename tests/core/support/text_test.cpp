#include <gtest/gtest.h>

#include "core/support/text.h"

TEST(Text, TrimmingTakesOnlyTheBlankSet) {
    EXPECT_EQ(trimBlanks(QStringLiteral("\u3000 \t\v\f\r\nMorning Bell \u3000")),
              QStringLiteral("Morning Bell"));
    EXPECT_EQ(trimBlanks(QStringLiteral("\u3000\u3000")), QString());
    // A no-break space is not one of them.
    EXPECT_EQ(trimBlanks(QStringLiteral("\u00a0x")), QStringLiteral("\u00a0x"));
    EXPECT_EQ(trimLeadingBlanks(QStringLiteral("  /music/folder  ")),
              QStringLiteral("/music/folder  "));
}

TEST(Text, FixedFieldsKeepAtMostCapacityMinusOneUnits) {
    char16_t field[8];
    setFieldText(field, QStringLiteral("早操音乐"));
    EXPECT_EQ(fieldText(field), QStringLiteral("早操音乐"));
    EXPECT_EQ(field[4], 0);
    EXPECT_EQ(field[7], 0);
    setFieldText(field, QStringLiteral("0123456789"));
    EXPECT_EQ(fieldText(field), QStringLiteral("0123456"));
    // A field without its terminator reads up to its capacity.
    for (char16_t& c : field) {
        c = u'x';
    }
    EXPECT_EQ(fieldText(field).size(), 8);
}

TEST(Text, NamesCompareIgnoringLatinCase) {
    EXPECT_TRUE(
        sameNameIgnoringCase(QStringLiteral("Morning Bell"), QStringLiteral("morning bell")));
    EXPECT_FALSE(
        sameNameIgnoringCase(QStringLiteral("Morning Bell"), QStringLiteral("Morning Bel")));
}
