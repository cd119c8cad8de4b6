#pragma once

#include <QLockFile>
#include <QObject>
#include <QString>
#include <memory>

class QLocalServer;

// One running copy per user: a lock file held for the whole run, and a local socket on
// which a second copy asks the first to come forward.
class SingleInstance : public QObject {
    Q_OBJECT
  public:
    // The folder holds the lock and the socket; by default the user's runtime folder. An
    // empty folder means none could be had: no lock, and the program runs.
    explicit SingleInstance(const QString& folder = defaultFolder());
    ~SingleInstance() override;

    // True when this is the only copy (also when the lock cannot be made at all, so that a
    // broken runtime folder never keeps the bells from ringing). Then listens for requests.
    bool acquire();
    // Asks the running copy to come forward; true when the request was delivered.
    bool requestActivation(int timeoutMs = 1500) const;

    // The user's runtime folder when it is private to the user; else a folder of the user's
    // own, made for this; empty when there is none.
    static QString defaultFolder();

  signals:
    void activationRequested();

  private:
    void readRequests();

    QString lockPath_;
    QString serverName_;
    std::unique_ptr<QLockFile> lock_;
    QLocalServer* server_ = nullptr;
};
