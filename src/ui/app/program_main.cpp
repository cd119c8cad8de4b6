#include "ui/app/program_main.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QStringList>
#include <clocale>
#include <cstdio>
#include <memory>
#include <optional>

#include "audio/audio_tools.h"
#include "core/storage/app_paths.h"
#include "core/support/command_line.h"
#include "core/support/messages.h"
#include "core/timed/preview.h"
#include "platform/running_copy.h"
#include "platform/single_instance.h"
#include "platform/unix_signals.h"
#include "ui/app/command_help.h"
#include "ui/app/export_week.h"
#include "ui/app/guarded_application.h"
#include "ui/app/import_commands.h"
#include "ui/app/paste_filter.h"
#include "ui/app/program.h"
#include "ui/widgets/help_page.h"
#include "ui/widgets/message_box.h"

namespace {

const QString kSecondCopyWarning =
    QStringLiteral("澜川校园定时广播系统：\n软件已在运行，不要重复打开          \n");

bool hasDisplay() {
    return !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
           !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
}

void print(FILE* stream, const QString& text) {
    std::fputs(text.toUtf8().constData(), stream);
    std::fflush(stream);
}

// --help, --version and wrong options; nothing else has started yet.
std::optional<int> answerCommandLine(const QStringList& arguments) {
    const CommandCheck check = checkCommandLine(arguments);
    switch (check.request) {
        case CommandRequest::Help:
            print(stdout, helpText(AppPaths::resolve()));
            return 0;
        case CommandRequest::Version:
            print(stdout, versionText());
            return 0;
        case CommandRequest::BadOption:
            print(stderr,
                  QStringLiteral("kelvora-broadcasting: unknown option %1\n").arg(check.badOption) +
                      usageText());
            return 2;
        case CommandRequest::Run:
            break;
    }
    return std::nullopt;
}

std::optional<int> runTool(int argc, char** argv, const QStringList& arguments) {
    if (arguments.isEmpty()) {
        return std::nullopt;
    }
    if (const std::optional<int> code = runImportCommand(argc, argv, arguments)) {
        return code;
    }
    if (arguments.first() == QLatin1String("--export-week")) {
        return runExportWeekCommand(argc, argv, arguments.mid(1));
    }
    static const QStringList kTools = {
        QStringLiteral("--preview"),   QStringLiteral("--list-devices"),
        QStringLiteral("--probe"),     QStringLiteral("--play"),
        QStringLiteral("--status"),    QStringLiteral("--reload"),
        QStringLiteral("--emergency"), QStringLiteral("--stop-emergency")};
    if (!kTools.contains(arguments.first())) {
        return std::nullopt;
    }
    QCoreApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    if (arguments.first() == QLatin1String("--preview")) {
        return runPreviewCommand(arguments.mid(1), AppPaths::resolve().dataFolder);
    }
    if (arguments.first() == QLatin1String("--status")) {
        return runRunningCopyCommand(QStringLiteral("Status"));
    }
    if (arguments.first() == QLatin1String("--reload")) {
        return runRunningCopyCommand(QStringLiteral("Reload"));
    }
    if (arguments.first() == QLatin1String("--emergency")) {
        if (arguments.size() > 2) {
            print(stderr, usageText());
            return 2;
        }
        // The running copy has a folder of its own: it is told the whole path.
        const QString file =
            arguments.size() == 2 ? QFileInfo(arguments[1]).absoluteFilePath() : QString();
        return runRunningCopyCommand(QStringLiteral("Emergency"), {file});
    }
    if (arguments.first() == QLatin1String("--stop-emergency")) {
        return runRunningCopyCommand(QStringLiteral("StopEmergency"));
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
    if (const std::optional<int> code = answerCommandLine(arguments)) {
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
        // Ties the windows to the installed desktop entry and its icon.
        QGuiApplication::setDesktopFileName(QStringLiteral("kelvora-broadcasting"));
    }
    QCoreApplication::setApplicationVersion(programVersion());
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
    if (guarded != nullptr) {
        guarded->setHelpIndex(program.paths().helpIndex());
    }
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

    // A failed start or the last-resort failure ends with 1, so that a service manager
    // sees it and can start the program again.
    if (!program.initialise(parseStartArguments(arguments))) {
        return 1;
    }
    app->exec();
    if (guarded != nullptr && guarded->failed()) {
        openHelpPage(program.paths());
        return 1;
    }
    return 0;
}
