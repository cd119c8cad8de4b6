#pragma once

#include <QObject>

class QSocketNotifier;

// Turns SIGINT and SIGTERM into a Qt signal on the UI thread (through a self-pipe, the only
// safe way out of a signal handler).
class UnixSignals : public QObject {
    Q_OBJECT
  public:
    explicit UnixSignals(QObject* parent = nullptr);
    ~UnixSignals() override;

  signals:
    void interrupted();  // SIGINT: the orderly exit
    void terminated();   // SIGTERM: the user's session ends

  private:
    void readSignal();
    QSocketNotifier* notifier_ = nullptr;
};
