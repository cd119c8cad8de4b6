#include "core/support/system_text.h"

#include <cstring>

QString runtimeErrorText(int errorNumber) {
    return QString::fromLocal8Bit(std::strerror(errorNumber));
}

QString systemErrorText(int code) {
    QString text = runtimeErrorText(code).left(255);
    while (!text.isEmpty() && (text.front() == u'\r' || text.front() == u'\n')) {
        text.remove(0, 1);
    }
    while (!text.isEmpty() && (text.back() == u'\r' || text.back() == u'\n')) {
        text.chop(1);
    }
    return text;
}
