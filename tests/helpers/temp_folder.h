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

// A named pipe at the path (nothing writes to it: an open that waits for a writer hangs).
bool makeFifo(const QString& path);
// A symbolic link at `link` pointing to `target`.
bool makeLink(const QString& target, const QString& link);
// A raw file name (not necessarily valid UTF-8) in the folder; returns the path as the
// program sees it, decoded with replacement characters.
QString writeRawNamed(const QString& folder, const QByteArray& rawName, const QByteArray& bytes);

// Ends the test process after `seconds` if the test has not finished by then: a test of code
// that must never block fails instead of hanging the suite.
class HangGuard {
  public:
    explicit HangGuard(unsigned seconds);
    ~HangGuard();
    HangGuard(const HangGuard&) = delete;
    HangGuard& operator=(const HangGuard&) = delete;
};
