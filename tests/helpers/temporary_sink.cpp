#include "helpers/temporary_sink.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QThread>

#include "audio/output_devices.h"

TemporarySink::TemporarySink(const QString& name, const QString& description)
    : description_(description) {
    QProcess pactl;
    pactl.start(QStringLiteral("pactl"),
                {QStringLiteral("load-module"), QStringLiteral("module-null-sink"),
                 QStringLiteral("sink_name=") + name,
                 QStringLiteral("sink_properties=device.description=") + description});
    if (pactl.waitForFinished(5000) && pactl.exitCode() == 0) {
        module_ = QString::fromUtf8(pactl.readAllStandardOutput()).trimmed();
    }
}

TemporarySink::~TemporarySink() {
    unload();
}

bool TemporarySink::waitUntilListed() const {
    QElapsedTimer timer;
    timer.start();
    while (!listOutputDevices().contains(description_)) {
        if (timer.elapsed() > 3000) {
            return false;
        }
        QThread::msleep(20);
    }
    return true;
}

void TemporarySink::unload() {
    if (!module_.isEmpty()) {
        QProcess::execute(QStringLiteral("pactl"), {QStringLiteral("unload-module"), module_});
        module_.clear();
    }
}
