#pragma once

#include <QByteArray>
#include <QCryptographicHash>
#include <QString>

// Checked data files: fixed-size little-endian blocks followed by the MD5 digest of every
// byte before it. Each format only describes its blocks and checks; opening, access repair,
// the digest and every user-facing message live here.
//
// Writing never leaves a half-written file: the blocks go to a temporary file beside the
// target, which is flushed to disk and then renamed over it. A failed write keeps the
// previous file. A file that its reader rejects is kept as "<name>.damaged".
//
// Reading takes only a regular file no larger than the largest valid file of its format: a
// FIFO, a device or an oversized file can neither block start-up nor exhaust memory, and is
// rejected like any other bad content.

// How the mid-write failure is worded: the timetable files offer the rescue text, the others
// name technical support.
enum class MidWriteWording { Timetable, Support };

inline const QString kDataFileLabel = QStringLiteral("文件");
// The MD5 trailer of every data file.
constexpr qint64 kDigestBytes = 16;

// Opens a new file for writing beside `path` (its final name comes with the rename), after
// repairing access and removing a folder in the way. Returns a descriptor or -1 with the
// message filled in.
int openDataFileForWrite(const QString& path, const QString& tempPath, const QString& label,
                         QString& message);
// Returns a descriptor; or -1 with an empty message when nothing (or a folder) stands at the
// path; or -1 with the message filled in. The open never waits: a FIFO or a device opens at
// once (without blocking), and the caller decides what to do with what it got.
int openDataFileForRead(const QString& path, const QString& label, QString& message);

// Removes the temporaries of saves a crash or power cut interrupted (".<name>.saving").
// Called at start-up, before anything is read or written.
void removeInterruptedSaves(const QString& dataFolder);

class DataFileWriter {
  public:
    DataFileWriter(const QString& dataFolder, const QString& fileName, MidWriteWording wording,
                   bool rescueHint);
    ~DataFileWriter();
    DataFileWriter(const DataFileWriter&) = delete;
    DataFileWriter& operator=(const DataFileWriter&) = delete;

    const QString& path() const { return path_; }
    // Creates the data folder and opens the file; false with the message on failure.
    bool open(QString& message);
    // Writes one block; after a failure the rest is skipped and finish() reports it.
    void write(const QByteArray& block);
    // Writes the digest and puts the file in place. False with the mid-write message.
    bool finish(QString& message) { return seal(message) && place(message); }
    // The two steps of finish: the file complete and on disk under its temporary name, then
    // renamed over the target. Several files can so be written whole before any of them
    // replaces its old one. A sealed file never placed is removed with the writer.
    bool seal(QString& message);
    bool place(QString& message);

  private:
    void discard();
    QString midWriteMessage(int errorNumber) const;

    QString path_;
    QString tempPath_;
    MidWriteWording wording_;
    bool rescueHint_;
    int fd_ = -1;
    bool sealed_ = false;
    int error_ = 0;
    QCryptographicHash digest_{QCryptographicHash::Md5};
};

class DataFileReader {
  public:
    enum class Opened { Absent, Open, Failed };

    // What a file longer than the largest valid one is: a content error, or (for a format
    // whose readers have always ignored bytes after the digest) a file whose extra bytes are
    // never read. Either way such a file is never copied.
    enum class LongerFiles { Rejected, ExtraBytesIgnored };

    // `maxBytes` is the size of the largest valid file of the format, digest included.
    DataFileReader(const QString& dataFolder, const QString& fileName, qint64 maxBytes,
                   LongerFiles longer = LongerFiles::Rejected);
    ~DataFileReader();
    DataFileReader(const DataFileReader&) = delete;
    DataFileReader& operator=(const DataFileReader&) = delete;

    const QString& path() const { return path_; }
    Opened open(QString& message);
    // Reads exactly `size` bytes into `block` and feeds them to the digest. False on a short
    // read or after an earlier failure.
    bool read(QByteArray& block, qsizetype size);
    // Reads the 32-bit little-endian count that opens a list; a count above `limit` is a
    // content error and reads as 0, as does a failed read.
    quint32 readCount(quint32 limit);
    // A field check of the format failed.
    void reject();
    bool failed() const { return state_ != State::Reading; }
    // Reads and compares the digest. On any failure returns false with the message and keeps
    // a copy of the rejected file.
    bool finish(QString& message);

  private:
    enum class State { Reading, EndOfFile, ReadError, ContentError };
    void keepDamagedCopy() const;

    QString path_;
    qint64 maxBytes_;
    LongerFiles longer_;
    int fd_ = -1;
    bool copyable_ = false;  // a regular file within the size limit
    State state_ = State::Reading;
    int error_ = 0;
    QCryptographicHash digest_{QCryptographicHash::Md5};
};

// The data-file messages, for files read or written outside the readers and writers (backups,
// imports): a failed read, content that is not what it should be, a failed write.
QString readFailureMessage(const QString& path, int errorNumber);
QString contentFailureMessage(const QString& path);
QString writeFailureMessage(const QString& path, int errorNumber);

// A 32-bit little-endian count, the block that opens a list in the data files.
QByteArray countBlock(quint32 count);

// The rescue text appended to mid-write failures of user commands on the timetable.
extern const QString kRescueText;
