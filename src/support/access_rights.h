#pragma once

#include <QString>

// Repairs the current user's own rights on a file or folder it owns: read and write, plus
// search on folders. Group and other rights are never widened. Failures are silent; the
// caller's retry shows whether it helped.
void grantFullAccess(const QString& path);
