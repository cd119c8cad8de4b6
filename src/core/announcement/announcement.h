#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include "core/playback/ducking.h"
#include "core/playback/live_outputs.h"
#include "core/settings/system_settings.h"
#include "core/support/clock.h"
#include "core/timed/play_log.h"
#include "core/zones/zone_setup.h"

// A live announcement (喊话): the head teacher's microphone heard in the chosen zones. While it
// lasts, timed and immediate play there are lowered to silence with the ducking glide and come
// back afterwards; programmes still start on time underneath, so the timetable is not shifted.
class Announcement : public QObject {
    Q_OBJECT
  public:
    struct Services {
        Clock& clock;
        TimedEventReporter& log;
        Ducking& ducking;
        LiveOutput& output;
        const SystemSettings& settings;
        const ZoneSetup* zones = nullptr;  // kept by the caller
    };
    explicit Announcement(const Services& services, QObject* parent = nullptr);
    ~Announcement() override;

    bool isActive() const { return active_; }
    // The zones it is heard in ("" is the program-wide output).
    const QStringList& zones() const { return zones_; }
    // Every zone it could be heard in, the program-wide output first.
    QStringList everyZone() const;
    // Starts it from the input in the zones (every zone when empty); false with the message.
    bool begin(const QString& input, const QStringList& zones, QString& message);
    void end();
    // While there is a reason (the emergency alarm) it cannot begin.
    void holdStarts(const QString& reason) { holdReason_ = reason; }

  signals:
    void activeChanged(bool active);

  private:
    QString zonesText(const QStringList& zones) const;
    void report(const QString& text);

    Services s_;
    bool active_ = false;
    QStringList zones_;
    QString holdReason_;
};
