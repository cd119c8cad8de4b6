#pragma once

#include <QDBusContext>
#include <QObject>

class Program;

// The running program on the user's session bus (org.kelvora.Broadcasting, interface
// org.kelvora.Broadcasting1), so that a tool or an administrator over ssh can ask what it is
// doing and steer it. Only the same user reaches it: the session bus is the user's own.
class RemoteControl : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kelvora.Broadcasting1")
  public:
    explicit RemoteControl(Program& program, QObject* parent = nullptr);
    ~RemoteControl() override;

    // Takes the name and registers the object; false (and nothing else happens) when there is
    // no session bus or the name is taken.
    bool publish();

  public slots:
    // One JSON object: what plays, the next start, the problems found, immediate play.
    Q_SCRIPTABLE QString Status();
    // Every data file read again as at start-up.
    Q_SCRIPTABLE void Reload();
    // Plays the programme now as "立即播此节目" does; an error reply when there is none.
    Q_SCRIPTABLE void PlayProgramme(const QString& name);
    // The emergency alarm in every zone at once, no question asked: `file`, or the alarm
    // chosen in the settings when empty. It sounds until StopEmergency().
    Q_SCRIPTABLE void Emergency(const QString& file);
    Q_SCRIPTABLE void StopEmergency();

  private:
    Program& program_;
    bool published_ = false;
};
