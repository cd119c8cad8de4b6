#include <gtest/gtest.h>

#include "platform/session_services.h"

TEST(LogindPower, AFailureSaysInChineseWhatFailedAndKeepsTheSystemsWords) {
    // No system bus at all, as on a machine whose bus is down.
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/kb-no-bus");
    LogindPower power;
    QString error;
    ASSERT_FALSE(power.powerOff(error));
    EXPECT_TRUE(error.startsWith(QStringLiteral("无法连接系统的电源管理服务")))
        << error.toStdString();
    EXPECT_TRUE(error.contains(QStringLiteral("D-Bus"))) << error.toStdString();

    struct Case {
        const char* name;
        const char* words;
        QString expected;
    };
    const Case cases[] = {
        {"org.freedesktop.DBus.Error.ServiceUnknown", "The name is not activatable",
         QStringLiteral("无法连接系统的电源管理服务 (logind)\n(The name is not activatable)")},
        {"org.freedesktop.DBus.Error.InteractiveAuthorizationRequired", "Interactive needed",
         QStringLiteral("系统不允许本用户关机或重启 (没有权限)\n(Interactive needed)")},
        {"org.freedesktop.login1.OperationInProgress", "",
         QStringLiteral("系统的电源管理服务 (logind) 拒绝了请求\n"
                        "(org.freedesktop.login1.OperationInProgress)")},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(powerFailureText(QString::fromLatin1(c.name), QString::fromLatin1(c.words)),
                  c.expected)
            << c.name;
    }
}
