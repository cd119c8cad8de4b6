#pragma once

#include <QStringList>

#include "core/emergency/emergency_alarm.h"
#include "helpers/immediate_harness.h"

// The emergency alarm and the announcement over timed and immediate play in two zones, on the
// simulated clock; the sound itself is only recorded.
struct RecordedAlarm : AlarmOutput {
    void startAlarm(const QStringList& f, const QStringList& d) override {
        files = f;
        devices = d;
        sounding = true;
    }
    void stopAlarm() override { sounding = false; }
    QStringList files;
    QStringList devices;
    bool sounding = false;
};

struct RecordedLive : LiveOutput {
    bool startLive(const QString& in, const QStringList& d, QString&) override {
        input = in;
        devices = d;
        live = true;
        return true;
    }
    void stopLive() override { live = false; }
    QString input;
    QStringList devices;
    bool live = false;
};

struct AlarmHarness {
    static ZoneSetup school() {
        ZoneSetup zones;
        zones.zones = {{QStringLiteral("教学楼"), QStringLiteral("KB-Hall")},
                       {QStringLiteral("宿舍"), QStringLiteral("KB-Speakers")}};
        zones.setZonesOf(QStringLiteral("早操"),
                         {QStringLiteral("教学楼"), QStringLiteral("宿舍")});
        zones.setZonesOf(QStringLiteral("上课铃"), {QStringLiteral("教学楼")});
        zones.setZonesOf(QStringLiteral("眼保健操"), {QStringLiteral("教学楼")});
        zones.setZonesOf(QStringLiteral("起床铃"), {QStringLiteral("宿舍")});
        zones.immediate = {QStringLiteral("教学楼"), QStringLiteral("宿舍")};
        return zones;
    }

    AlarmHarness() {
        timed.runs.setZones(&zones);
        timed.start(at(7, 59, 59));
    }
    void tick() {
        timed.dispatcher.dispatchTick();
        immediate.immediateTick();
        timed.clock.advanceMs(50);
    }
    void runUntil(const LocalDateTime& t) {
        while (timed.clock.ticks() < dateTimeTicks(t)) {
            tick();
        }
    }
    // The last level each open player of the file was set to, by device.
    std::map<QString, int> levels(const QString& fileName) const {
        std::map<QString, int> result;
        for (const auto& p : timed.backend.players) {
            if (p->path.endsWith(u'/' + fileName) && !p->closed && !p->volumes.empty()) {
                result[p->device] = p->volumes.back();
            }
        }
        return result;
    }

    MessageLog messages;
    EngineHarness timed;
    ZoneSetup zones = school();
    ImmediateStore store{timed.folder.path(), timed.folder.path()};
    PlaylistModel model{store.settings()};
    ImmediatePlayer immediate{
        {timed.clock, timed.backend, store, model, timed.settings, timed.runs.ducking(), &zones}};
    RecordedLive live;
    RecordedAlarm alarm;
    Announcement announcement{
        {timed.clock, timed.log, timed.runs.ducking(), live, timed.settings, &zones}};
    EmergencyAlarm emergency{{timed.clock, timed.log, timed.runs, timed.dispatcher, immediate,
                              announcement, alarm, timed.settings, &zones,
                              QStringLiteral("/usr/share/kelvora-broadcasting/music/警报.ogg")}};
};
