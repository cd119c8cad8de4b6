#include <gtest/gtest.h>

#include "core/support/command_line.h"

TEST(CommandLine, JoinedArgumentsAreTrimmedAndComparedExactly) {
    auto parse = [](const QStringList& args) {
        const StartArguments a = parseStartArguments(args);
        return QStringLiteral("%1%2").arg(a.minimised ? 'm' : '-').arg(a.locked ? 'l' : '-');
    };
    EXPECT_EQ(parse({}), QStringLiteral("--"));
    EXPECT_EQ(parse({QStringLiteral("1")}), QStringLiteral("m-"));
    EXPECT_EQ(parse({QStringLiteral("2")}), QStringLiteral("-l"));
    EXPECT_EQ(parse({QStringLiteral("3")}), QStringLiteral("ml"));
    EXPECT_EQ(parse({QStringLiteral(" 3 ")}), QStringLiteral("ml"));
    EXPECT_EQ(parse({QString(), QStringLiteral("3"), QString()}), QStringLiteral("ml"));
    EXPECT_EQ(parse({QStringLiteral("13")}), QStringLiteral("--"));
    EXPECT_EQ(parse({QStringLiteral("1"), QStringLiteral("3")}), QStringLiteral("--"));
    EXPECT_EQ(parse({QStringLiteral("\t3")}), QStringLiteral("--"));
}
