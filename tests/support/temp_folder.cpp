#include "support/temp_folder.h"

#include <unistd.h>
#include <QFile>
#include <cstdlib>

TempFolder::TempFolder() : dir_(QStringLiteral("/tmp/kb-test-XXXXXX")) {}

QByteArray readBytes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return QByteArray();
    }
    return file.readAll();
}

void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        file.write(bytes);
    }
}

int runShell(const QString& command) {
    return std::system(command.toLocal8Bit().constData());
}

bool runningAsRoot() {
    return ::geteuid() == 0;
}
