#include "app/program_main.h"

#include <QCoreApplication>
#include <QStringList>
#include <clocale>

#include "app/app_paths.h"
#include "app/command_line.h"
#include "app/messages.h"
#include "app/program.h"
#include "audio/audio_tools.h"
#include "platform/single_instance.h"
#include "platform/unix_signals.h"
#include "timed/preview.h"

namespace {

const QString kSecondCopyWarning =
    QStringLiteral("澜川校园定时广播系统：\n软件已在运行，不要重复打开          \n");

}  // namespace

int runProgram(int argc, char** argv) {
    QStringList arguments;
    for (int i = 1; i < argc; ++i) {
        arguments.append(QString::fromLocal8Bit(argv[i]));
    }
    if (!arguments.isEmpty() && arguments.first() == QLatin1String("--preview")) {
        QCoreApplication app(argc, argv);
        return runPreviewCommand(arguments.mid(1), AppPaths::resolve().dataFolder);
    }
    static const QStringList kAudioTools = {QStringLiteral("--list-devices"),
                                            QStringLiteral("--probe"), QStringLiteral("--play")};
    if (!arguments.isEmpty() && kAudioTools.contains(arguments.first())) {
        QCoreApplication app(argc, argv);
        if (const std::optional<int> code = runAudioTool(arguments)) {
            return *code;
        }
    }
    // Until the windows exist the program always runs without them.
    const bool headless = arguments.removeAll(QStringLiteral("--headless")) > 0 || true;

    QCoreApplication app(argc, argv);
    // Numbers are read and written the same way whatever the user's locale.
    std::setlocale(LC_NUMERIC, "C");

    SingleInstance instance;
    if (!instance.acquire()) {
        MessageRequest request;
        request.icon = MessageIcon::Warning;
        request.text = kSecondCopyWarning;
        request.caption = QStringLiteral("澜川校园定时广播系统");
        request.topmost = true;
        presentMessage(request);
        instance.requestActivation();
        return 0;
    }

    Program program(AppPaths::resolve(), headless);
    QObject::connect(&instance, &SingleInstance::activationRequested, &program, &Program::activate);
    QObject::connect(&program, &Program::finished, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    UnixSignals signals_;
    QObject::connect(&signals_, &UnixSignals::interrupted, &program,
                     [&program] { program.shutdown(false); });
    QObject::connect(&signals_, &UnixSignals::terminated, &program,
                     [&program] { program.shutdown(true); });

    if (!program.initialise(parseStartArguments(arguments))) {
        return 0;
    }
    app.exec();
    return 0;
}
