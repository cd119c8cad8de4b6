#include "app/program_main.h"

#include <QCoreApplication>
#include <QStringList>
#include <clocale>
#include <memory>
#include <optional>

#include "storage/app_paths.h"
#include "support/command_line.h"
#include "app/guarded_application.h"
#include "app/help_page.h"
#include "app/message_box.h"
#include "support/messages.h"
#include "app/paste_filter.h"
#include "app/program.h"
#include "audio/audio_tools.h"
#include "platform/single_instance.h"
#include "platform/unix_signals.h"
#include "timed/preview.h"

namespace {

const QString kSecondCopyWarning =
    QStringLiteral("澜川校园定时广播系统：\n软件已在运行，不要重复打开          \n");

bool hasDisplay() {
    return !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
           !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
}

std::optional<int> runTool(int argc, char** argv, const QStringList& arguments) {
    if (arguments.isEmpty()) {
        return std::nullopt;
    }
    static const QStringList kTools = {QStringLiteral("--preview"),
                                       QStringLiteral("--list-devices"), QStringLiteral("--probe"),
                                       QStringLiteral("--play")};
    if (!kTools.contains(arguments.first())) {
        return std::nullopt;
    }
    QCoreApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    if (arguments.first() == QLatin1String("--preview")) {
        return runPreviewCommand(arguments.mid(1), AppPaths::resolve().dataFolder);
    }
    return runAudioTool(arguments);
}

}  // namespace

int runProgram(int argc, char** argv) {
    QStringList arguments;
    for (int i = 1; i < argc; ++i) {
        arguments.append(QString::fromLocal8Bit(argv[i]));
    }
    if (const std::optional<int> code = runTool(argc, argv, arguments)) {
        return *code;
    }
    // Without a display the program runs as with --headless.
    const bool headless = arguments.removeAll(QStringLiteral("--headless")) > 0 || !hasDisplay();

    std::unique_ptr<QCoreApplication> app;
    GuardedApplication* guarded = nullptr;
    if (headless) {
        app = std::make_unique<QCoreApplication>(argc, argv);
    } else {
        guarded = new GuardedApplication(argc, argv);
        app.reset(guarded);
        QApplication::setQuitOnLastWindowClosed(false);
        setMessagePresenter(presentAsDialog);
        app->installEventFilter(new PasteFilter(app.get()));
    }
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
    QObject::connect(&program, &Program::finished, app.get(), &QCoreApplication::quit,
                     Qt::QueuedConnection);
    // A quit that the program did not ask for comes from the session manager.
    QObject::connect(app.get(), &QCoreApplication::aboutToQuit, &program,
                     [&program] { program.shutdown(true); });
    UnixSignals signals_;
    QObject::connect(&signals_, &UnixSignals::interrupted, &program,
                     [&program] { program.shutdown(false); });
    QObject::connect(&signals_, &UnixSignals::terminated, &program,
                     [&program] { program.shutdown(true); });

    if (!program.initialise(parseStartArguments(arguments))) {
        return 0;
    }
    app->exec();
    if (guarded != nullptr && guarded->failed()) {
        openHelpPage(program.paths().exeFolder);
    }
    return 0;
}
