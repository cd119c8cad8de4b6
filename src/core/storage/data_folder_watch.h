#pragma once

#include <QFileSystemWatcher>
#include <QHash>
#include <QObject>
#include <QStringList>
#include <QTimer>

// What tells one version of a file from the next: a file written elsewhere and renamed into
// place is a new inode; one written in place has a new size or time.
struct FileIdentity {
    qint64 device = -1;
    qint64 inode = -1;
    qint64 size = -1;
    qint64 modifiedNs = -1;
    qint64 changedNs = -1;

    bool exists() const { return inode >= 0; }
    bool operator==(const FileIdentity&) const = default;
};

// The identity of a regular file at the path; an absent one (exists() false) for anything
// else.
FileIdentity identityOf(const QString& path);

// Every data file this process puts in place is noted here, so that the watch can tell the
// program's own saves from files another program replaced.
void noteOwnWrite(const QString& path);

// Follows the data files of the data folder that another program (rsync, Ansible,
// Syncthing, the Windows import) replaces: a file whose identity changed, and then held
// still for a moment, is reported once. The program's own saves and removed files are not.
class DataFolderWatch : public QObject {
    Q_OBJECT
  public:
    DataFolderWatch(const QString& dataFolder, const QStringList& fileNames,
                    QObject* parent = nullptr);

    // Takes the files as they are now as known, then watches.
    void start();

  signals:
    void replaced(const QString& fileName);

  private:
    void look();

    QString folder_;
    QStringList names_;
    QFileSystemWatcher watcher_;
    // Change events come in bursts; the poll also covers a folder inotify cannot watch.
    QTimer poll_;
    QHash<QString, FileIdentity> known_;
    // A change seen on the last look, reported once it holds still.
    QHash<QString, FileIdentity> settling_;
};
