#pragma once

#include <QString>

// A music file opened for a graph. Only a regular file (after following links) is taken, and
// it is opened without blocking, so a FIFO or a device named like music can never hang the
// caller. The graph reads this very file through its descriptor; the decoder never opens the
// user's path itself, so nothing can be swapped in between the check and the read.
class MusicFile {
  public:
    MusicFile() = default;
    ~MusicFile();
    MusicFile(const MusicFile&) = delete;
    MusicFile& operator=(const MusicFile&) = delete;
    MusicFile(MusicFile&& other) noexcept;
    MusicFile& operator=(MusicFile&& other) noexcept;

    // 0, or kErrorFileNotFound (absent, a folder, not a regular file) or kErrorAccessDenied,
    // with `text` filled in when the name itself is the cause.
    qint32 open(const QString& path, QString& text);
    void close();
    bool isOpen() const { return fd_ >= 0; }

    const QString& path() const { return path_; }
    // The name under which the file source reads the open file.
    QByteArray location() const;

  private:
    QString path_;
    int fd_ = -1;
};
