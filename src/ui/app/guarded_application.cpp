#include "ui/app/guarded_application.h"

#include <QLibraryInfo>
#include <QTranslator>

#include "core/support/log_categories.h"
#include "core/support/messages.h"

namespace {

// The code a C++ exception carries on the platform the program came from.
constexpr quint32 kCppExceptionCode = 0xE06D7363;

}  // namespace

GuardedApplication::GuardedApplication(int& argc, char** argv) : QApplication(argc, argv) {
    // The whole program speaks Chinese, Qt's own buttons and file dialogs included, whatever
    // the desktop's language.
    auto* qtTexts = new QTranslator(this);
    if (qtTexts->load(QStringLiteral("qtbase_zh_CN"),
                      QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        installTranslator(qtTexts);
    } else {
        qCWarning(lcUi) << "Qt's Chinese texts are missing (qt6-translations-l10n)";
    }
}

QString GuardedApplication::failureText(quint32 code, const QString& helpIndex) {
    return QString::asprintf("软件异常 (0x%08x)", code) +
           QStringLiteral("\n\n1. 请重新安装软件\n2. 技术支持 - 帮助栏里有联系方式\n\n帮助页面：") +
           helpIndex;
}

bool GuardedApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        fail(kCppExceptionCode);
    }
    return false;
}

void GuardedApplication::fail(quint32 code) {
    if (failed_) {
        return;
    }
    failed_ = true;
    if (beforeMessage_) {
        beforeMessage_();
    }
    MessageRequest request;
    request.icon = MessageIcon::Error;
    request.text = failureText(code, helpIndex_);
    request.topmost = true;
    presentMessage(request);
    exit(0);
}
