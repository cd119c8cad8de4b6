#include "platform/desktop_handlers.h"

#include <QProcess>
#include <QStandardPaths>

namespace {

// xdg-mime is a small script; a desktop that takes longer is treated as having no handler.
constexpr int kQueryTimeoutMs = 2000;

}  // namespace

bool hasDesktopHandler(const QString& mimeType) {
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
    if (tool.isEmpty()) {
        return true;
    }
    QProcess query;
    query.start(tool, {QStringLiteral("query"), QStringLiteral("default"), mimeType});
    if (!query.waitForFinished(kQueryTimeoutMs)) {
        query.kill();
        query.waitForFinished(500);
        return false;
    }
    return !query.readAllStandardOutput().trimmed().isEmpty();
}
