#include "ui/app/remote_control.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>

#include "core/timed/bell_check.h"
#include "core/timed/status_report.h"
#include "platform/running_copy.h"
#include "ui/app/bell_watch.h"
#include "ui/app/command_help.h"
#include "ui/app/program.h"

RemoteControl::RemoteControl(Program& program, QObject* parent)
    : QObject(parent), program_(program) {}

RemoteControl::~RemoteControl() {
    if (published_) {
        QDBusConnection bus = QDBusConnection::sessionBus();
        bus.unregisterService(kRemoteService);
        bus.unregisterObject(kRemotePath);
    }
}

bool RemoteControl::publish() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        return false;
    }
    if (!bus.registerObject(kRemotePath, this, QDBusConnection::ExportScriptableSlots)) {
        return false;
    }
    if (!bus.registerService(kRemoteService)) {
        bus.unregisterObject(kRemotePath);
        return false;
    }
    published_ = true;
    return true;
}

QString RemoteControl::Status() {
    ProgramStatus status;
    status.version = programVersion();
    status.now = wholeSecond(program_.clock().now());
    for (const auto& run : program_.runs().runs()) {
        if (run->player) {
            QStringList zones = run->zones;
            zones.removeAll(QString());
            status.playing.push_back(
                {programmeName(run->programme), run->programme.lastStartTime, zones});
        }
    }
    const std::vector<DueStart> coming =
        startsInNextDay(program_.programmes(), program_.calendar(), status.now);
    if (!coming.empty()) {
        status.next = ProgramStatus::Next{coming.front().start, coming.front().name};
    }
    status.problems = program_.bellWatch().today().problems();
    ImmediatePlayer& immediate = program_.immediatePlayer();
    status.immediatePlaying = immediate.isActive();
    if (immediate.audio() != nullptr) {
        status.immediateTrack = immediate.audio()->fileName();
    }
    if (program_.emergency().isActive()) {
        status.emergencySince = program_.emergency().since();
    }
    return QString::fromUtf8(statusJson(status));
}

void RemoteControl::Reload() {
    program_.reloadDataFiles();
}

void RemoteControl::PlayProgramme(const QString& name) {
    const int index = program_.programmes().findByName(name);
    if (index < 0) {
        sendErrorReply(QStringLiteral("org.kelvora.Broadcasting1.Error.NoSuchProgramme"),
                       QStringLiteral("没有这个节目：%1").arg(name));
        return;
    }
    const Programme& p = program_.programmes().at(index);
    // As "立即播此节目" proposes it: the programme's own count.
    program_.dispatcher().manualPlay(index, p.countByTracks != 0 ? p.trackCount : p.secondsCount);
}

void RemoteControl::Emergency(const QString& file) {
    program_.emergency().start(file);
}

void RemoteControl::StopEmergency() {
    program_.emergency().stop();
}
