#pragma once

#include <QString>

// Repairs the current user's own rights on a file or folder it owns: read and write, plus
// search on folders. Group and other rights are never widened. Failures are silent; the
// caller's retry shows whether it helped.
void grantFullAccess(const QString& path);

// The repairs one refused file operation may make before retrying: the folder's rights, then
// the file's, each at most once.
class AccessRepairs {
  public:
    AccessRepairs(const QString& folder, const QString& file) : folder_(folder), file_(file) {}
    // Repairs the folder unless done already.
    void repairFolder();
    // Makes the repairs not made yet; false when both were made already (give up).
    bool next();

  private:
    QString folder_;
    QString file_;
    bool folderDone_ = false;
    bool fileDone_ = false;
};

bool isAccessError(int errorNumber);
