#include <gtest/gtest.h>
#include <QProcess>
#include <QRegularExpression>

#include "helpers/test_environment.h"

// Many plays in one process: every one must work under a descriptor limit that a leak of two
// descriptors per play would exhaust within a few dozen plays, and GStreamer's leak tracer
// must find no element, pad or message of a player alive at the end.
TEST(PlaySoak, EveryPlayWorksUnderATightDescriptorLimitAndNothingIsLeftAlive) {
    ASSERT_TRUE(soundServerReady());
    QProcess soak;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("GST_TRACERS"),
               QStringLiteral("leaks(filters=GstElement,GstPad,GstMessage)"));
    env.insert(QStringLiteral("GST_DEBUG"), QStringLiteral("GST_TRACER:7"));
    env.insert(QStringLiteral("GST_DEBUG_NO_COLOR"), QStringLiteral("1"));
    soak.setProcessEnvironment(env);
    soak.start(QStringLiteral(KB_PLAY_SOAK_PATH),
               {QStringLiteral("--plays"), QStringLiteral("150"), QStringLiteral("--fd-limit"),
                QStringLiteral("64")});
    ASSERT_TRUE(soak.waitForFinished(150000));
    const QString out = QString::fromUtf8(soak.readAllStandardOutput());
    const QString err = QString::fromUtf8(soak.readAllStandardError());
    EXPECT_EQ(soak.exitCode(), 0) << out.toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("\nok\n"))) << out.toStdString();

    const QRegularExpressionMatch growth =
        QRegularExpression(QStringLiteral("descriptors ([-+]\\d+), resident ([-+]\\d+) kB"))
            .match(out);
    ASSERT_TRUE(growth.hasMatch()) << out.toStdString();
    EXPECT_LE(growth.captured(1).toInt(), 2) << out.toStdString();

    QStringList alive;
    const QRegularExpression leak(QStringLiteral("object-alive, type-name=\\(string\\)(\\w+)"));
    for (auto it = leak.globalMatch(err); it.hasNext();) {
        alive.append(it.next().captured(1));
    }
    EXPECT_TRUE(alive.isEmpty()) << alive.join(u' ').toStdString();
}
