#include "core/announcement/announcement.h"

#include <algorithm>

namespace {

// "喊话 ◆ 开始 ◆ <zones>", "喊话 ◆ 结束": the play log's fields.
QString announcementText(const QStringList& fields) {
    return (QStringList{QStringLiteral("喊话")} + fields).join(QStringLiteral(" ◆ "));
}

}  // namespace

Announcement::Announcement(const Services& services, QObject* parent)
    : QObject(parent), s_(services) {
    s_.ducking.lowerWhile(DuckSource::Announcement,
                          [this](const QString& zone) { return active_ && zones_.contains(zone); });
}

Announcement::~Announcement() {
    s_.ducking.lowerWhile(DuckSource::Announcement, nullptr);
}

QStringList Announcement::everyZone() const {
    return ::everyZone(s_.zones);
}

QString Announcement::zonesText(const QStringList& zones) const {
    const QStringList every = everyZone();
    if (std::all_of(every.begin(), every.end(),
                    [&zones](const QString& zone) { return zones.contains(zone); })) {
        return QStringLiteral("全部");
    }
    QStringList labels;
    for (const QString& zone : zones) {
        labels.append(zoneLabel(zone));
    }
    return labels.join(QStringLiteral("、"));
}

void Announcement::report(const QString& text) {
    s_.log.reportTimedEvent(wholeSecond(s_.clock.now()), text);
}

bool Announcement::begin(const QString& input, const QStringList& zones, QString& message) {
    if (active_) {
        message = QStringLiteral("正在喊话");
        return false;
    }
    if (!holdReason_.isEmpty()) {
        message = holdReason_ + QStringLiteral(", 不能喊话");
        return false;
    }
    const QStringList chosen = zones.isEmpty() ? everyZone() : zones;
    const QStringList devices = zoneDevices(s_.zones, chosen, outputDeviceName(s_.settings));
    if (!s_.output.startLive(input, devices, message)) {
        return false;
    }
    active_ = true;
    zones_ = chosen;
    report(announcementText({QStringLiteral("开始"), zonesText(chosen)}));
    emit activeChanged(true);
    return true;
}

void Announcement::end() {
    if (!active_) {
        return;
    }
    s_.output.stopLive();
    active_ = false;
    zones_.clear();
    report(announcementText({QStringLiteral("结束")}));
    emit activeChanged(false);
}
