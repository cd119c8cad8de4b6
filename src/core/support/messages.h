#pragma once

#include <QString>
#include <functional>

class QObject;

// The caption of every message box and the title of the main window.
inline const QString kApplicationTitle = QStringLiteral("澜川校园定时广播系统 9.2");
// The last line of the messages about data files that the user cannot mend alone.
inline const QString kSupportLine = QStringLiteral("\n\n技术支持 - 帮助栏里有联系方式");

// Every message box of the program goes through showMessage, so that the presentation can
// be a dialog, a line on standard error when there is no display, or a record in tests.
enum class MessageIcon { Information, Warning, Error, Question };

struct MessageRequest {
    MessageIcon icon = MessageIcon::Information;
    QString text;
    QString caption;
    QObject* owner = nullptr;
    bool yesNo = false;
    bool topmost = false;
};

// True means OK or Yes.
using MessagePresenter = std::function<bool(const MessageRequest&)>;

void setMessagePresenter(MessagePresenter presenter);
// Writes the message to standard error and answers No; the presenter used without windows.
bool presentOnStandardError(const MessageRequest& request);

void showMessage(MessageIcon icon, const QString& text, QObject* owner = nullptr);
bool askYesNo(MessageIcon icon, const QString& text, QObject* owner = nullptr);
bool presentMessage(const MessageRequest& request);
