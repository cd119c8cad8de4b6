#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

// A scratch folder for one test, removed afterwards.
class TempFolder {
  public:
    TempFolder();
    QString path() const { return dir_.path(); }
    QString file(const QString& name) const { return dir_.filePath(name); }

  private:
    QTemporaryDir dir_;
};

QByteArray readBytes(const QString& path);
void writeBytes(const QString& path, const QByteArray& bytes);
// Runs a shell command and returns its exit status.
int runShell(const QString& command);
bool runningAsRoot();
// Writes a 16-bit mono WAV file of silence of that length.
void writeSilentWav(const QString& path, int milliseconds);
