#include <gtest/gtest.h>

#include "core/support/field_checks.h"

TEST(IntegerField, OnlyTheCanonicalFormPasses) {
    const IntegerCheck volume{false, 25, 100};
    EXPECT_EQ(checkIntegerField(QStringLiteral("80"), volume), 80);
    EXPECT_EQ(checkIntegerField(QStringLiteral(" \u300080\t\r\n"), volume), 80);
    for (const char* bad : {"080", "8 0", "24", "101", "", "+80", "80a", "0x50", "８０"}) {
        EXPECT_FALSE(checkIntegerField(QString::fromUtf8(bad), volume)) << bad;
    }
    EXPECT_EQ(checkIntegerField(QStringLiteral("25"), volume), 25);
    EXPECT_EQ(checkIntegerField(QStringLiteral("100"), volume), 100);
}

TEST(IntegerField, SignsBoundsAndOverflow) {
    const IntegerCheck atLeastOne{false, 1, std::nullopt};
    EXPECT_FALSE(checkIntegerField(QStringLiteral("0"), atLeastOne));
    EXPECT_FALSE(checkIntegerField(QStringLiteral("00"), atLeastOne));
    EXPECT_FALSE(checkIntegerField(QStringLiteral("+5"), atLeastOne));
    EXPECT_FALSE(checkIntegerField(QStringLiteral("-5"), atLeastOne));
    EXPECT_EQ(checkIntegerField(QStringLiteral("4294967295"), atLeastOne), 4294967295LL);
    EXPECT_FALSE(checkIntegerField(QStringLiteral("4294967296"), atLeastOne));
    const IntegerCheck anySigned{true, std::nullopt, std::nullopt};
    EXPECT_EQ(checkIntegerField(QStringLiteral("-5"), anySigned), -5);
    EXPECT_FALSE(checkIntegerField(QStringLiteral("-0"), anySigned));
    EXPECT_FALSE(checkIntegerField(QStringLiteral("2147483648"), anySigned));
    EXPECT_EQ(checkIntegerField(QStringLiteral("-2147483648"), anySigned), -2147483648LL);
    const IntegerCheck hours{false, 0, 24};
    EXPECT_EQ(checkIntegerField(QStringLiteral("0"), hours), 0);
    EXPECT_EQ(checkIntegerField(QStringLiteral("24"), hours), 24);
    EXPECT_FALSE(checkIntegerField(QStringLiteral("25"), hours));
}

TEST(DecimalField, TwoDecimalsAsTheBatchIntervalTakesThem) {
    const DecimalCheck plain{2, std::nullopt, std::nullopt};
    for (const char* good : {"5", "5.", "5.5", "5.25", "0.2", " 1440 "}) {
        EXPECT_TRUE(checkDecimalField(QString::fromUtf8(good), plain)) << good;
    }
    for (const char* bad : {"5.255", ".5", "05", "1e1", "5,5", "+5", "5.5.5"}) {
        EXPECT_FALSE(checkDecimalField(QString::fromUtf8(bad), plain)) << bad;
    }
    const DecimalCheck interval{2, 0.2, 1440.0};
    EXPECT_TRUE(checkDecimalField(QStringLiteral("0.2"), interval));
    EXPECT_TRUE(checkDecimalField(QStringLiteral("1440"), interval));
    EXPECT_FALSE(checkDecimalField(QStringLiteral("0.1"), interval));
    EXPECT_FALSE(checkDecimalField(QStringLiteral("0.19"), interval));
    EXPECT_FALSE(checkDecimalField(QStringLiteral("1441"), interval));
    EXPECT_FALSE(checkDecimalField(QStringLiteral("1440.01"), interval));
    EXPECT_FALSE(checkDecimalField(QString(), interval));
    EXPECT_FALSE(checkDecimalField(QStringLiteral("nan"), interval));
    EXPECT_EQ(checkDecimalField(QStringLiteral("0.25"), interval), 0.25);
}
