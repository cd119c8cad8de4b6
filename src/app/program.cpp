#include "app/program.h"

#include <cstdio>

#include "app/folders.h"

Program::Program(const AppPaths& paths, bool headless, QObject* parent)
    : QObject(parent), paths_(paths), headless_(headless), playLog_(paths.dataFolder) {
    playLog_.setEchoToStandardOutput(headless);
}

Program::~Program() = default;

void Program::log(const QString& text) {
    playLog_.reportTimedEvent(wholeSecond(clock_.now()), text);
}

bool Program::initialise(const StartArguments& arguments) {
    Q_UNUSED(arguments);
    // The data folder's result is not checked here: every writer checks it again.
    ensureDataFolder(paths_.dataFolder);
    log(QStringLiteral("软件启动"));
    return true;
}

void Program::shutdown(bool sessionEnding) {
    if (shutDown_) {
        return;
    }
    shutDown_ = true;
    if (!sessionEnding) {
        log(QStringLiteral("软件关闭"));
    }
    emit finished();
}

void Program::activate() {
    if (headless_) {
        std::fprintf(stderr, "%s\n",
                     QStringLiteral("收到另一副本的请求：没有窗口可显示").toUtf8().constData());
        std::fflush(stderr);
    }
}
