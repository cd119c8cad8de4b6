#include "platform/running_copy.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <cstdio>

namespace {

// Long enough for a reply on a busy machine; a copy that does not answer in it is stuck.
constexpr int kCallTimeoutMs = 10'000;

void print(FILE* stream, const QString& text) {
    std::fputs(text.toUtf8().constData(), stream);
    if (!text.endsWith(u'\n')) {
        std::fputc('\n', stream);
    }
    std::fflush(stream);
}

}  // namespace

RunningCopyAnswer askRunningCopy(const QString& method, const QVariantList& arguments) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || bus.interface() == nullptr ||
        !bus.interface()->isServiceRegistered(kRemoteService).value()) {
        return {RunningCopyAnswer::Outcome::NotRunning, QString()};
    }
    QDBusMessage call =
        QDBusMessage::createMethodCall(kRemoteService, kRemotePath, kRemoteInterface, method);
    call.setArguments(arguments);
    const QDBusMessage reply = bus.call(call, QDBus::Block, kCallTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage) {
        // Gone between the look and the call.
        if (reply.errorName() == QLatin1String("org.freedesktop.DBus.Error.ServiceUnknown")) {
            return {RunningCopyAnswer::Outcome::NotRunning, QString()};
        }
        return {RunningCopyAnswer::Outcome::Failed, reply.errorMessage()};
    }
    const QVariantList values = reply.arguments();
    return {RunningCopyAnswer::Outcome::Answered,
            values.isEmpty() ? QString() : values.first().toString()};
}

int runRunningCopyCommand(const QString& method, const QVariantList& arguments) {
    const RunningCopyAnswer answer = askRunningCopy(method, arguments);
    switch (answer.outcome) {
        case RunningCopyAnswer::Outcome::Answered:
            if (!answer.text.isEmpty()) {
                print(stdout, answer.text);
            }
            return 0;
        case RunningCopyAnswer::Outcome::NotRunning:
            print(stderr, QStringLiteral("没有运行中的程序"));
            return 3;
        case RunningCopyAnswer::Outcome::Failed:
            break;
    }
    print(stderr, QStringLiteral("运行中的程序没有完成请求：%1").arg(answer.text));
    return 1;
}
