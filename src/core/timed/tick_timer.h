#pragma once

#include <QObject>
#include <QTimer>

// Fires every 50 ms, just after each 50 ms mark of the wall clock, so the tick of a start
// second comes at its beginning rather than up to 50 ms into it. A tick that falls due while
// the thread is busy (a fade) comes late and is not made up.
class TickTimer : public QObject {
    Q_OBJECT
  public:
    explicit TickTimer(QObject* parent = nullptr);
    void start();
    void stop();
    bool isActive() const { return timer_.isActive(); }

  signals:
    void tick();

  private:
    void arm();
    QTimer timer_;
};
