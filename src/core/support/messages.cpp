#include "core/support/messages.h"

#include <cstdio>

namespace {

MessagePresenter& currentPresenter() {
    static MessagePresenter presenter = presentOnStandardError;
    return presenter;
}

}  // namespace

void setMessagePresenter(MessagePresenter presenter) {
    currentPresenter() =
        presenter ? std::move(presenter) : MessagePresenter(presentOnStandardError);
}

bool presentOnStandardError(const MessageRequest& request) {
    const QString caption = request.caption.isEmpty() ? kApplicationTitle : request.caption;
    const QByteArray text = (caption + QStringLiteral(": ") + request.text).toUtf8();
    std::fprintf(stderr, "%s\n", text.constData());
    std::fflush(stderr);
    return false;
}

bool presentMessage(const MessageRequest& request) {
    return currentPresenter()(request);
}

void showMessage(MessageIcon icon, const QString& text, QObject* owner) {
    MessageRequest request;
    request.icon = icon;
    request.text = text;
    request.owner = owner;
    presentMessage(request);
}

bool askYesNo(MessageIcon icon, const QString& text, QObject* owner) {
    MessageRequest request;
    request.icon = icon;
    request.text = text;
    request.owner = owner;
    request.yesNo = true;
    return presentMessage(request);
}
